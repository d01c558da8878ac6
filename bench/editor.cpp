// Times opening dictionaries of 1,000, 10,000 and 100,000 entries in the
// editor window, beside the dictionary's load alone and beside two of the
// system's list boxes filled with the same rows under WM_SETREDRAW off:
// into an empty editor, and again over the same dictionary shown (the rows
// shown go first; the system's lists are emptied first). Each figure is the
// best of a few runs and includes painting the lists.
// Needs a display (Xvfb under the harness); other sizes may be given as
// arguments. The settings file is put back as it was.
#include "BenchSupport.h"
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "Dict_Strings.h"
#include "Dict_engine.h"
#include "FDName.h"
#include "FDicSelector.h"
#include "FEditor.h"
#include "FileUtils.h"
#include "Framework.h"
#include "ImgBtn.h"
#include "Main.h"
#include "SysUtils.h"
#include "UniClasses.h"
#include "UniSysUtils.h"
#include "VsListBox.h"
#include "UniSystem.h"
#include "VsStrUtils.h"
#include "VsTools.h"
#include "WImage.h"
#include "Win.h"

namespace {

void Pump() {
  MSG Msg;
  while (PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&Msg);
    DispatchMessageW(&Msg);
  }
}

AnsiString ConfigPath() {
  char Dir[MAX_PATH];
  GetWindowsDirectoryA(Dir, MAX_PATH);
  return IncludeTrailingPathDelimiter(Dir) + "dict.cfg";
}

std::optional<std::string> ReadFileBytes(const AnsiString& Path) {
  std::ifstream In(Path.c_str(), std::ios::binary);
  if (!In) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(In), {});
}

// Words of Polish letters, many sharing their first letters as real
// dictionaries do; every second entry has two answers.
void MakeDictionary(const AnsiString& Path, int Count) {
  std::mt19937 Random(static_cast<unsigned>(Count));
  const WideString Letters = L"aąbcćdeęfghijklłmnńoóprsśtuwyzźżAĄBCĆKLŁMŚŻ";
  auto Word = [&](int MinLength, int MaxLength) {
    WideString W;
    const int Length = std::uniform_int_distribution<int>(MinLength, MaxLength)(Random);
    for (int I = 0; I < Length; ++I) W += Letters[std::uniform_int_distribution<size_t>(0, Letters.size() - 1)(Random)];
    return W;
  };
  TDict Dict;
  Dict.SetTitle(L"Słownik do pomiarów");
  Dict.SetDescription(L"Hasła losowe");
  TQuestion Q;
  for (int I = 0; I < Count; ++I) {
    Q.Clear();
    Q.SetQuestion(Word(3, 14));
    Q.SetAnswer(1, Word(3, 12));
    if (I % 2) Q.SetAnswer(2, Word(3, 12));
    Dict.Add(Q.Record());
  }
  Dict.SaveToFile(Path);
}

// Two of the system's list boxes in a window of their own, placed and sized
// as the editor's lists.
class TPlatformLists {
public:
  explicit TPlatformLists(TControl* Left, TControl* Right) {
    FWindow = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_BORDER, 40, 40, 640, 480, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    int I = 0;
    for (TControl* Like : {Left, Right})
      FLists[I++] = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                                        LBS_HASSTRINGS,
                                    Like->Left(), Like->Top(), Like->Width(), Like->Height(), FWindow, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
  }
  ~TPlatformLists() { DestroyWindow(FWindow); }

  void Clear() {
    for (HWND List : FLists) SendMessageA(List, LB_RESETCONTENT, 0, 0);
    Pump();
  }
  void Fill(const std::vector<AnsiString>& Left, const std::vector<AnsiString>& Right) {
    const std::vector<AnsiString>* Rows[2] = {&Left, &Right};
    for (int I = 0; I < 2; ++I) {
      SendMessageA(FLists[I], WM_SETREDRAW, FALSE, 0);
      for (const AnsiString& Row : *Rows[I])
        SendMessageA(FLists[I], LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Row.c_str()));
      SendMessageA(FLists[I], WM_SETREDRAW, TRUE, 0);
      InvalidateRect(FLists[I], nullptr, TRUE);
    }
    UpdateWindow(FWindow);
    for (HWND List : FLists) UpdateWindow(List);
  }

private:
  HWND FWindow;
  HWND FLists[2] = {};
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> Sizes;
  for (int I = 1; I < argc; ++I) Sizes.push_back(std::atoi(argv[I]));
  if (Sizes.empty()) Sizes = {1000, 10000, 100000};

  InitializeFramework();
  InitializeVsTools();
  InitializeUniSysUtils();
  InitializeUniSystem();
  InitializeUniClasses();
  InitializeDict_Strings();
  InitializeVsListBox();
  // The classes of the main window's, the editor's and its dialogs' layouts.
  RegisterImgBtn();
  RegisterWImage();
  RegisterMain();
  RegisterFDicSelector();
  RegisterFDName();
  RegisterFEditor();

  // A named user, so that the main window does not ask for one; the
  // settings go back as they were at the end.
  const std::optional<std::string> Settings = ReadFileBytes(ConfigPath());
  DeleteFile(ConfigPath());
  WritePrivateProfileStringA("global", "LastUser", "Pomiar", ConfigPath().c_str());

  char Temp[MAX_PATH];
  GetTempPathA(MAX_PATH, Temp);
  const AnsiString Folder = AnsiString(Temp) + "slovanta-bench-editor\\";
  ForceDirectories(Folder);
  const AnsiString EmptyPath = Folder + "empty.dic";
  std::ofstream(EmptyPath.c_str(), std::ios::binary);

  int Result = 0;
  try {
    Application->CreateForm(FMain);
    FMain->Show();
    Application->CreateForm(FSelDic);
    Application->CreateForm(FDicName);
    FMain->Edytujsowniki1->Click();
    Pump();
    auto* Edit = dynamic_cast<TFEdit*>(FMain->ActiveMDIChild());
    if (!Edit) throw Exception("The editor did not open");
    Pump();
    TPlatformLists Platform(Edit->LBQ, Edit->LBA);

    std::printf("%9s %12s %12s %12s %7s %12s %12s %7s %11s\n", "entries", "load alone", "editor", "system", "ratio",
                "editor again", "system again", "ratio", "per entry");
    for (const int Count : Sizes) {
      const AnsiString Path = Folder + IntToStr(Count) + ".dic";
      MakeDictionary(Path, Count);

      TDict Alone;
      const double Load = Best([&] { Alone.LoadFromFile(Path); });
      std::vector<AnsiString> Questions, Answers;
      for (int I = 0; I < Alone.Count(); ++I) {
        Questions.push_back(WideToAnsi(Alone.ItemText(0, I)));
        Answers.push_back(WideToAnsi(Alone.ItemText(-1, I)));
      }
      Alone.Clear();

      const double Editor = Best(
          [&] {
            Edit->OpenDictionary(Path);
            UpdateWindow(Edit->Handle());
            UpdateWindow(Edit->LBQ->Handle());
            UpdateWindow(Edit->LBA->Handle());
          },
          [&] {
            Edit->OpenDictionary(EmptyPath);
            Pump();
          });
      if (Edit->LBQ->Items()->Count() != Count || Edit->LBA->Items()->Count() != Count)
        throw Exception("The editor's lists do not hold every entry");
      // The same file opened again over itself: the rows shown go first.
      const double EditorAgain = Best([&] {
        Edit->OpenDictionary(Path);
        UpdateWindow(Edit->Handle());
        UpdateWindow(Edit->LBQ->Handle());
        UpdateWindow(Edit->LBA->Handle());
      });
      const double System = Best([&] { Platform.Fill(Questions, Answers); }, [&] { Platform.Clear(); });
      const double SystemAgain = Best([&] {
        Platform.Clear();
        Platform.Fill(Questions, Answers);
      });
      std::printf("%9d %10.3f s %10.3f s %10.3f s %7.2f %10.3f s %10.3f s %7.2f %8.2f us\n", Count, Load, Editor,
                  System, Editor / System, EditorAgain, SystemAgain, EditorAgain / SystemAgain, Editor / Count * 1e6);
      DeleteFile(Path);
    }
    Edit->OpenDictionary(EmptyPath);
    Edit->Free();
  } catch (const Exception& E) {
    std::fprintf(stderr, "%s\n", E.Message().c_str());
    Result = 1;
  }
  FreeAndNil(FDicName);
  FreeAndNil(FSelDic);
  FreeAndNil(FMain);

  DeleteFile(EmptyPath);
  RemoveDir(Folder);
  DeleteFile(ConfigPath());
  if (Settings) std::ofstream(ConfigPath().c_str(), std::ios::binary) << *Settings;
  FinalizeFramework();
  FinalizeDict_Strings();
  FinalizeUniSystem();
  FinalizeVsStrUtils();
  return Result;
}
