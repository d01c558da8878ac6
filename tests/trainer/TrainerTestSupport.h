// What the trainer's window tests share: the libraries started as the
// program starts them, the settings, result and list files, dictionaries
// written by the dictionary's own save, pictures of windows, and timers
// that act from inside the modal loops the tests start.
#pragma once

#include "GuiTestSupport.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Bledy.h"
#include "Dict_Strings.h"
#include "Dict_engine.h"
#include "Dziennik.h"
#include "FAbout.h"
#include "FDName.h"
#include "FDicSelector.h"
#include "FDisplayer.h"
#include "FEditor.h"
#include "FEndLearnDlg.h"
#include "FLearner.h"
#include "Finformations.h"
#include "Framework.h"
#include "ImgBtn.h"
#include "JEdit.h"
#include "Main.h"
#include "Options.h"
#include "Startup.h"
#include "Symb.h"
#include "SysUtils.h"
#include "UniClasses.h"
#include "UniControls.h"
#include "UniForms.h"
#include "UniMenus.h"
#include "UniSysUtils.h"
#include "UniSystem.h"
#include "VsStrUtils.h"
#include "VsTools.h"
#include "WImage.h"

// The libraries started in the program's order, and every control and form
// of the trainer registered (registering only records a class); shut down
// as the program shuts them down.
class TTrainerEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeTrainerUnits();
    RegisterTrainerClasses();
  }
  void TearDown() override { FinalizeTrainerUnits(); }
};

// --- files --------------------------------------------------------------

// The settings file, dict.cfg in the Windows folder.
inline AnsiString ConfigPath() {
  char Dir[MAX_PATH];
  GetWindowsDirectoryA(Dir, MAX_PATH);
  return IncludeTrailingPathDelimiter(Dir) + "dict.cfg";
}

// Fresh settings, in which User is the one the main window starts with.
inline void FreshSettingsFor(const char* User) {
  DeleteFile(ConfigPath());
  WritePrivateProfileStringA("global", "LastUser", User, ConfigPath().c_str());
}

// Removes the user with its results, closes the main window and removes the
// settings.
inline void CloseMainRemoving(const char* User) {
  FMain->CurrentUser->DeleteUser(User);
  FreeAndNil(FMain);
  DeleteFile(ConfigPath());
}

// A user's result file, beside the program.
inline AnsiString ResultFile(const AnsiString& User) {
  return ExtractFilePath(Application->ExeName()) + UserFileName(User);
}

// The recent-dictionary lists of the three exercises.
inline void DeleteRecentLists() {
  for (int Mode = 0; Mode < 3; ++Mode) DeleteFile(RecentListFile(Mode));
}

// Removes the folder with all it holds; nothing when it is not there.
inline void RemoveTree(const AnsiString& Dir) {
  std::error_code Ignored;
  std::filesystem::remove_all(Dir.c_str(), Ignored);
}

// A word and its answers, in order.
struct TEntry {
  const wchar_t* Word;
  std::vector<const wchar_t*> Answers;
};

// Saves a dictionary of the entries as Path, by the dictionary's own save.
inline AnsiString SaveDict(const AnsiString& Path, const std::vector<TEntry>& Entries,
                           const WideString& Title = L"Próba", const WideString& Description = L"",
                           bool ResizeFont = false) {
  TDict Dict;
  Dict.SetTitle(Title);
  Dict.SetResizeFont(ResizeFont);
  Dict.SetDescription(Description);
  for (const TEntry& Entry : Entries) {
    TQuestion Q;
    Q.SetQuestion(Entry.Word);
    for (size_t I = 0; I < Entry.Answers.size(); ++I) Q.SetAnswer(static_cast<int>(I) + 1, Entry.Answers[I]);
    Dict.Add(Q.Record());
  }
  Dict.SaveToFile(Path);
  return Path;
}

// The strings of a list, in order.
inline std::vector<AnsiString> Lines(TStrings* Items) {
  std::vector<AnsiString> Result;
  for (int I = 0; I < Items->Count(); ++I) Result.push_back(Items->Strings(I));
  return Result;
}

// The rows of a wide list, in the system code page.
inline std::vector<AnsiString> Lines(TVsWideStrings* Items) {
  std::vector<AnsiString> Result;
  for (int I = 0; I < Items->Count(); ++I) Result.push_back(WideToAnsi(Items->Strings(I)));
  return Result;
}

// With SLOVANTA_SHOTS naming a folder, the window as it stands on the
// screen, frame and all, is saved there as <Name>.bmp for a person to look
// at; SettleMs of messages are served first, for the window to paint.
inline void SaveShot(HWND Window, const char* Name, DWORD SettleMs = 0) {
  const char* Folder = std::getenv("SLOVANTA_SHOTS");
  if (!Folder) return;
  if (SettleMs) PumpFor(SettleMs);
  RECT R;
  GetWindowRect(Window, &R);
  TOwned<TBitmap> Shot(new TBitmap());
  Shot->SetPixelFormat(pf24bit);
  Shot->SetSize(R.right - R.left, R.bottom - R.top);
  HDC Screen = GetDC(nullptr);
  BitBlt(Shot->Canvas()->Handle(), 0, 0, Shot->Width(), Shot->Height(), Screen, R.left, R.top, SRCCOPY);
  ReleaseDC(nullptr, Screen);
  Shot->SaveToFile(IncludeTrailingPathDelimiter(Folder) + Name + ".bmp");
}

// --- timers -------------------------------------------------------------

// A thread timer: Tick runs from whatever message loop is going, modal ones
// included, until the timer is stopped or destroyed. An exception from Tick
// stops it; none leaves the callback.
class TTickTimer {
public:
  TTickTimer(UINT Interval, std::function<void()> Tick)
      : FTick(std::move(Tick)), FId(SetTimer(nullptr, 0, Interval, Fire)) {
    Running()[FId] = this;
  }
  ~TTickTimer() { Stop(); }
  TTickTimer(const TTickTimer&) = delete;
  TTickTimer& operator=(const TTickTimer&) = delete;

  void Stop() {
    if (!FId) return;
    KillTimer(nullptr, FId);
    Running().erase(FId);
    FId = 0;
  }

private:
  static std::map<UINT_PTR, TTickTimer*>& Running() {
    static std::map<UINT_PTR, TTickTimer*> Timers;
    return Timers;
  }
  static void CALLBACK Fire(HWND, UINT, UINT_PTR Id, DWORD) {
    const auto It = Running().find(Id);
    if (It == Running().end()) return;
    TTickTimer* Timer = It->second;
    try {
      Timer->FTick();
    } catch (...) {
      Timer->Stop();
    }
  }

  std::function<void()> FTick;
  UINT_PTR FId;
};

// Once Ready() holds, Act runs once from inside whatever loop is going (a
// modal one the test has started); Done tells whether it came to that. When
// Ready() does not hold within TimeoutMs, a failure names What and the modal
// loops are ended, so that the test goes on.
class TWhenReady {
public:
  TWhenReady(std::function<bool()> Ready, std::function<void()> Act, UINT Interval = 50,
             std::string What = "the window the test acts on", DWORD TimeoutMs = 10000)
      : FTimer(Interval,
               [this, Ready = std::move(Ready), Act = std::move(Act)] {
                 if (!Ready()) return;
                 FTimer.Stop();
                 FDone = true;
                 Act();
               }),
        FDeadline(std::move(What), TimeoutMs, [this] { return FDone; }) {}
  bool Done() const { return FDone; }

private:
  bool FDone = false;
  TTickTimer FTimer;
  TModalDeadline FDeadline;
};

// Runs Open, which shows the symbol picker modally, and does Act once the
// picker is on the screen; an exception from Act closes the picker. Whether
// Act came to run.
inline bool WhilePickerShown(const std::function<void()>& Act, const std::function<void()>& Open) {
  const TWhenReady Run([] { return FSymbol->HandleAllocated() && IsWindowVisible(FSymbol->Handle()); },
                       [&Act] {
                         try {
                           Act();
                         } catch (...) {
                           PostMessageW(FSymbol->Handle(), WM_CLOSE, 0, 0);
                         }
                       },
                       50, "the symbol picker");
  Open();
  return Run.Done();
}

// --- message boxes ------------------------------------------------------

// What a message box showed.
struct TBoxSeen {
  std::wstring Text, Caption;
};

// The message box on the screen, or null: a standard dialog with a text,
// unlike the system's file dialogs.
inline HWND FindMessageBox() {
  HWND Box = FindWindowW(L"#32770", nullptr);
  return Box && IsWindowVisible(Box) && GetDlgItem(Box, 0xFFFF) ? Box : nullptr;
}

inline TBoxSeen ReadMessageBox(HWND Box) {
  wchar_t Text[512] = {}, Caption[512] = {};
  GetDlgItemTextW(Box, 0xFFFF, Text, 512);
  GetWindowTextW(Box, Caption, 512);
  return {Text, Caption};
}

// While alive, answers each message box that comes up with Button, noting
// what it showed.
class TBoxAnswerer {
public:
  explicit TBoxAnswerer(int Button = IDOK, UINT Interval = 50)
      : FTimer(Interval, [this, Button] {
          HWND Box = FindMessageBox();
          if (!Box || Box == FAnswered) return;
          FSeen.push_back(ReadMessageBox(Box));
          FAnswered = Box;
          PostMessageW(Box, WM_COMMAND, Button, 0);
        }) {}

  const std::vector<TBoxSeen>& Seen() const { return FSeen; }
  // The last box seen; empty when none came.
  TBoxSeen Last() const { return FSeen.empty() ? TBoxSeen{} : FSeen.back(); }
  std::vector<std::wstring> Texts() const {
    std::vector<std::wstring> Result;
    for (const TBoxSeen& Box : FSeen) Result.push_back(Box.Text);
    return Result;
  }
  std::vector<std::wstring> Captions() const {
    std::vector<std::wstring> Result;
    for (const TBoxSeen& Box : FSeen) Result.push_back(Box.Caption);
    return Result;
  }
  void Clear() { FSeen.clear(); }

private:
  std::vector<TBoxSeen> FSeen;
  HWND FAnswered = nullptr;
  TTickTimer FTimer;
};

// --- the exercise windows -----------------------------------------------

// The pictures and frames of an exercise window's layout, each there and
// each picture loaded.
inline void ExpectExerciseLayout(TForm* Form) {
  for (const char* Name : {"L_Wallpapper", "Image1", "Image2", "Shape1", "Shape2", "Shape3", "Shape4", "Shape5",
                           "Shape6"})
    EXPECT_NE(Form->FindComponent(Name), nullptr) << Name;
  for (const char* Name : {"Image1", "Image2"}) {
    if (auto* Image = dynamic_cast<TImage*>(Form->FindComponent(Name))) {
      EXPECT_NE(Image->Picture()->Graphic(), nullptr) << Name;
    }
  }
  if (auto* Wallpaper = dynamic_cast<TWImage*>(Form->FindComponent("L_Wallpapper"))) {
    EXPECT_NE(Wallpaper->Picture()->Graphic(), nullptr);
  }
}
