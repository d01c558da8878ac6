// The folder and file list boxes over a folder tree made for each test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FileCtrl.h"
#include "Filer.h"
#include "Streams.h"
#include "SysUtils.h"

namespace {

void Pump() {
  MSG Msg;
  while (PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) {
    if (IsKeyMsg(Msg)) continue;
    TranslateMessage(&Msg);
    DispatchMessageA(&Msg);
  }
}

void RemoveTree(const AnsiString& Dir) {
  WIN32_FIND_DATAA F;
  HANDLE H = FindFirstFileA((Dir + "\\*").c_str(), &F);
  if (H != INVALID_HANDLE_VALUE) {
    do {
      const AnsiString Name = F.cFileName;
      if (Name == "." || Name == "..") continue;
      const AnsiString Path = Dir + "\\" + Name;
      if (F.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(Path);
      else
        DeleteFileA(Path.c_str());
    } while (FindNextFileA(H, &F));
    FindClose(H);
  }
  RemoveDirectoryA(Dir.c_str());
}

void MakeFile(const AnsiString& Path) {
  HANDLE H = CreateFileA(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(H, INVALID_HANDLE_VALUE) << Path;
  CloseHandle(H);
}

std::vector<std::string> Rows(TCustomListBox* List) {
  std::vector<std::string> R;
  for (int I = 0; I < List->Items()->Count(); ++I) R.push_back(List->Items()->Strings(I));
  return R;
}

// The rows after the first N.
std::vector<std::string> RowsFrom(TCustomListBox* List, int N) {
  std::vector<std::string> R = Rows(List);
  return std::vector<std::string>(R.begin() + N, R.end());
}

class THost : public TWinControl {
public:
  THost() : TWinControl(nullptr) {
    FControlStyle << csAcceptsControls;
    SetBounds(40, 40, 600, 420);
  }
};

class TListener : public TObject {
public:
  int DirChanges = 0;
  int FileChanges = 0;
  void DirChanged(TObject*) { ++DirChanges; }
  void FileChanged(TObject*) { ++FileChanges; }
};

// Root holds the folders alpha, Beta and gamma (with deep and g.dic) and
// the files below. (Wine here has no Unix locale for non-ASCII file names.)
class FileCtrlTest : public ::testing::Test {
protected:
  void SetUp() override {
    InitializeStdCtrls();
    InitializeFileCtrl();
    char Temp[MAX_PATH];
    GetTempPathA(MAX_PATH, Temp);
    Root = ExcludeTrailingPathDelimiter(ExpandFileName(AnsiString(Temp) + "vs_filectrl_" +
                                                       std::to_string(GetCurrentProcessId())));
    RemoveTree(Root);
    ASSERT_TRUE(CreateDirectoryA(Root.c_str(), nullptr));
    for (const char* Dir : {"alpha", "Beta", "gamma", "gamma\\deep"})
      ASSERT_TRUE(CreateDirectoryA((Root + "\\" + Dir).c_str(), nullptr)) << Dir;
    for (const char* File : {"b.dic", "A.dic", "c.DIC", "notes.txt", "words.dicx", "z.dic.bak", "gamma\\g.dic"})
      MakeFile(Root + "\\" + File);
    Host.reset(new THost());
    Dirs = new TDirectoryListBox(Host.get());
    Dirs->SetBounds(5, 5, 250, 400);
    Dirs->SetParent(Host.get());
    Dirs->OnChange = TNotifyEvent(&Events, &TListener::DirChanged);
    Files = new TFileListBox(Host.get());
    Files->SetBounds(260, 5, 250, 400);
    Files->SetParent(Host.get());
    Files->OnChange = TNotifyEvent(&Events, &TListener::FileChanged);
  }
  void TearDown() override {
    Host.reset();
    Pump();
    RemoveTree(Root);
  }
  void Show() {
    Host->Show();
    Host->SetFocus();
    Pump();
  }
  // The rows of Dirs above Root's sub-folders: the root, each folder down
  // to Root.
  int OpenRows() const {
    int N = 1;
    for (size_t I = 3; I < Root.size(); ++I)
      if (Root[I] == '\\') ++N;
    return N + 1;
  }
  void DoubleClickRow(TCustomListBox* List, int Index) {
    const TRect R = List->ItemRect(Index);
    const LPARAM At = PointToLParam(R.left + 30, (R.top + R.bottom) / 2);
    SendMessageA(List->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At);
    SendMessageA(List->Handle(), WM_LBUTTONUP, 0, At);
    SendMessageA(List->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, At);
    SendMessageA(List->Handle(), WM_LBUTTONUP, 0, At);
    Pump();
  }

  AnsiString Root;
  TOwned<THost> Host;
  TDirectoryListBox* Dirs = nullptr;
  TFileListBox* Files = nullptr;
  TListener Events;
};

TEST_F(FileCtrlTest, FolderListShowsTheAncestorsThenTheSortedSubFolders) {
  Dirs->SetDirectory(Root);
  Show();
  const int Open = OpenRows();
  ASSERT_EQ(Dirs->Items()->Count(), Open + 3);
  EXPECT_EQ(Dirs->Items()->Strings(0), ExtractFileDrive(Root) + "\\");
  EXPECT_EQ(Dirs->Items()->Strings(Open - 1), ExtractFileName(Root));
  // Sorted without regard to case.
  EXPECT_EQ(RowsFrom(Dirs, Open), (std::vector<std::string>{"alpha", "Beta", "gamma"}));
  EXPECT_EQ(Dirs->ItemIndex(), Open - 1);
  EXPECT_EQ(Dirs->GetItemPath(0), ExtractFileDrive(Root) + "\\");
  EXPECT_EQ(Dirs->GetItemPath(Open - 1), Root);
  EXPECT_EQ(Dirs->GetItemPath(Open + 1), Root + "\\Beta");
  EXPECT_THROW(Dirs->GetItemPath(Open + 3), EListError);

  // Each open folder is drawn one step further in, the sub-folders one
  // step past the current folder: the leftmost inked pixel of each row.
  RECT Window;
  GetWindowRect(Dirs->Handle(), &Window);
  const int W = Window.right - Window.left;
  const int H = Window.bottom - Window.top;
  TBitmap Shot;
  Shot.SetSize(W, H);
  Dirs->PaintTo(Shot.Canvas()->Handle(), 0, 0);
  POINT Origin{0, 0};
  ClientToScreen(Dirs->Handle(), &Origin);
  const int DX = Origin.x - Window.left;
  const int DY = Origin.y - Window.top;
  std::vector<int> Inset;
  for (int I = 0; I < Dirs->Items()->Count(); ++I) {
    const TRect R = Dirs->ItemRect(I);
    const int Y = DY + (R.top + R.bottom) / 2;
    // Inside the focus rectangle of the focused row.
    const TColor Back = Shot.Canvas()->Pixels(DX + R.right - 3, Y);
    int X = DX + R.left + 1;
    while (X < DX + R.right && Shot.Canvas()->Pixels(X, Y) == Back) ++X;
    Inset.push_back(X - DX - R.left);
  }
  for (int I = 0; I < static_cast<int>(Inset.size()); ++I)
    EXPECT_EQ(Inset[static_cast<size_t>(I)] - Inset[0], 8 * std::min(I, Open)) << "row " << I;
}

TEST_F(FileCtrlTest, DoubleClickAndEnterOpenTheSelectedFolderAndTheFileListFollows) {
  Dirs->SetFileList(Files);
  Files->SetMask("*.dic");
  Dirs->SetDirectory(Root);
  EXPECT_EQ(Files->Directory(), Root);
  Show();
  const int Open = OpenRows();
  Events.DirChanges = 0;

  DoubleClickRow(Dirs, Open + 2);  // gamma
  EXPECT_EQ(Dirs->Directory(), Root + "\\gamma");
  EXPECT_EQ(Events.DirChanges, 1);
  EXPECT_EQ(RowsFrom(Dirs, Open + 1), (std::vector<std::string>{"deep"}));
  EXPECT_EQ(Dirs->ItemIndex(), Open);
  EXPECT_EQ(Files->Directory(), Root + "\\gamma");
  EXPECT_EQ(Rows(Files), (std::vector<std::string>{"g.dic"}));

  Dirs->SetFocus();
  Dirs->SetItemIndex(Open + 1);  // deep
  const HWND Focus = GetFocus();
  ASSERT_EQ(Focus, Dirs->Handle());
  PostMessageA(Focus, WM_KEYDOWN, VK_RETURN, 1);
  Pump();
  EXPECT_EQ(Dirs->Directory(), Root + "\\gamma\\deep");
  EXPECT_EQ(Events.DirChanges, 2);

  DoubleClickRow(Dirs, Open - 1);  // back up to Root
  EXPECT_EQ(Dirs->Directory(), Root);
  EXPECT_EQ(Files->Directory(), Root);
  EXPECT_EQ(Events.DirChanges, 3);
}

TEST_F(FileCtrlTest, MissingFoldersRaiseAndChangeNothing) {
  Dirs->SetDirectory(Root);
  Files->SetDirectory(Root);
  Events.DirChanges = 0;
  for (const AnsiString& Bad : {Root + "\\missing", Root + "\\notes.txt", AnsiString("Q:\\no\\such\\folder")}) {
    EXPECT_THROW(Dirs->SetDirectory(Bad), EInOutError) << Bad;
    EXPECT_THROW(Files->SetDirectory(Bad), EInOutError) << Bad;
    EXPECT_THROW(Files->SetFileName(Bad + "\\a.dic"), EInOutError) << Bad;
  }
  EXPECT_EQ(Dirs->Directory(), Root);
  EXPECT_EQ(Files->Directory(), Root);
  EXPECT_EQ(Events.DirChanges, 0);
  EXPECT_EQ(RowsFrom(Dirs, OpenRows()).size(), 3u);
}

TEST_F(FileCtrlTest, FileListShowsTheMaskedFilesSortedAndFileNameRoundTrips) {
  Files->SetMask("*.dic");
  Files->SetDirectory(Root);
  Show();
  // Only names that end in ".dic" (not "words.dicx" through its short
  // alias), sorted without regard to case.
  EXPECT_EQ(Rows(Files), (std::vector<std::string>{"A.dic", "b.dic", "c.DIC"}));
  EXPECT_EQ(Files->FileName(), "");

  Files->SetFileName(Root + "\\B.DIC");
  EXPECT_EQ(Files->ItemIndex(), 1);
  EXPECT_EQ(Files->FileName(), Root + "\\b.dic");
  EXPECT_EQ(Events.FileChanges, 1);
  Files->SetFileName(Files->FileName());
  EXPECT_EQ(Events.FileChanges, 1);  // the same file again: no change

  // Into another folder and back.
  Files->SetFileName(Root + "\\gamma\\g.dic");
  EXPECT_EQ(Files->Directory(), Root + "\\gamma");
  EXPECT_EQ(Files->FileName(), Root + "\\gamma\\g.dic");
  Files->SetFileName(Root + "\\c.DIC");
  EXPECT_EQ(Files->Directory(), Root);
  EXPECT_EQ(Files->FileName(), Root + "\\c.DIC");
  Files->SetFileName(Root + "\\notes.txt");  // not listed: nothing selected
  EXPECT_EQ(Files->FileName(), "");
  EXPECT_EQ(Events.FileChanges, 4);

  // A click selects, as the user does it.
  const TRect R = Files->ItemRect(0);
  SendMessageA(Files->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(R.left + 5, R.top + 3));
  SendMessageA(Files->Handle(), WM_LBUTTONUP, 0, PointToLParam(R.left + 5, R.top + 3));
  EXPECT_EQ(Files->FileName(), Root + "\\A.dic");
  EXPECT_EQ(Events.FileChanges, 5);

  // Several masks; a new file shows after Update, the selection stays.
  Files->SetMask("*.txt; *.BAK");
  EXPECT_EQ(Rows(Files), (std::vector<std::string>{"notes.txt", "z.dic.bak"}));
  Files->SetFileName("z.dic.bak");
  MakeFile(Root + "\\m.txt");
  Files->Update();
  EXPECT_EQ(Rows(Files), (std::vector<std::string>{"m.txt", "notes.txt", "z.dic.bak"}));
  EXPECT_EQ(Files->FileName(), Root + "\\z.dic.bak");
}

TEST_F(FileCtrlTest, FileGlyphsAreDrawnBeforeTheNames) {
  Files->SetMask("*.dic");
  Files->SetDirectory(Root);
  Files->SetShowGlyphs(true);
  EXPECT_EQ(Files->Style(), lbOwnerDrawFixed);
  Show();
  ASSERT_GE(Files->ItemHeight(), 18);
  TBitmap Shot;
  RECT Window;
  GetWindowRect(Files->Handle(), &Window);
  Shot.SetSize(Window.right - Window.left, Window.bottom - Window.top);
  Files->PaintTo(Shot.Canvas()->Handle(), 0, 0);
  POINT Origin{0, 0};
  ClientToScreen(Files->Handle(), &Origin);
  const TRect R = Files->ItemRect(1);
  const int X = Origin.x - Window.left + R.left;
  const int Y = Origin.y - Window.top + R.top;
  // The page's outline runs down its left side, three pixels in.
  const TColor Back = Shot.Canvas()->Pixels(X + 1, Y + 8);
  EXPECT_NE(Shot.Canvas()->Pixels(X + 5, Y + 8), Back);
  EXPECT_EQ(Shot.Canvas()->Pixels(X + 7, Y + 8), clWhite);  // inside the page
}

// A form with the chooser's pair as its layout holds them.
class TChooser : public TWinControl {
public:
  explicit TChooser(TComponent* AOwner) : TWinControl(AOwner) { FControlStyle << csAcceptsControls; }
};

TEST_F(FileCtrlTest, LayoutLinksTheFileListAfterReadingAndForgetsItWhenItGoes) {
  TOwned<TChooser> Form(Create<TChooser>(nullptr));
  TStringStream Layout(
      "object Chooser: TChooser\n"
      "  object DLB: TDirectoryListBox\n"
      "    FileList = FLDic\n"
      "    DirLabel = LDir\n"
      "    Hint = 'last folder'\n"
      "  end\n"
      "  object FLDic: TFileListBox\n"
      "    Mask = '*.dic'\n"
      "    ShowGlyphs = True\n"
      "  end\n"
      "  object LDir: TLabel\n"
      "  end\n"
      "end\n");
  ReadComponentLayout(&Layout, Form.get());
  auto* DLB = dynamic_cast<TDirectoryListBox*>(Form->FindComponent("DLB"));
  auto* FLDic = dynamic_cast<TFileListBox*>(Form->FindComponent("FLDic"));
  auto* LDir = dynamic_cast<TLabel*>(Form->FindComponent("LDir"));
  ASSERT_TRUE(DLB && FLDic && LDir);
  EXPECT_EQ(DLB->FileList(), FLDic);
  EXPECT_EQ(DLB->Hint(), "last folder");
  EXPECT_EQ(FLDic->Mask(), "*.dic");
  EXPECT_TRUE(FLDic->ShowGlyphs());

  DLB->SetDirectory(Root);
  EXPECT_EQ(FLDic->Directory(), Root);
  EXPECT_EQ(LDir->Caption(), Root);
  EXPECT_EQ(Rows(FLDic).size(), 3u);

  FLDic->Free();
  EXPECT_EQ(DLB->FileList(), nullptr);
  DLB->SetDirectory(Root + "\\gamma");
  EXPECT_EQ(DLB->Directory(), Root + "\\gamma");
}

}  // namespace
