// The dictionary chooser over a small tree inside the dictionaries folder:
// what it lists, the header preview, the folder bound and the modal result.
#include "TrainerTestSupport.h"
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TTrainerEnvironment);

// A .dic header: the title field (81 units) and the description field (161
// units), each filled with Text and zero-padded; longer texts fill the field
// with no terminator. Cut shortens the file to that many bytes.
std::string Header(const std::wstring& Title, const std::wstring& Description, size_t Cut = 484) {
  std::string Bytes;
  auto Put = [&](const std::wstring& Text, size_t Units) {
    for (size_t I = 0; I < Units; ++I) {
      const wchar_t C = I < Text.size() ? Text[I] : 0;
      Bytes += static_cast<char>(C & 0xFF);
      Bytes += static_cast<char>(C >> 8);
    }
  };
  Put(Title, 81);
  Put(Description, 161);
  return Bytes.substr(0, Cut);
}

void WriteBytes(const AnsiString& Path, const std::string& Bytes) {
  std::ofstream(Path, std::ios::binary) << Bytes;
}

class Chooser : public ::testing::Test {
protected:
  void SetUp() override {
    Root = DictionariesDir();
    Tree = Root + "\\chooser-test";
    Outside = Root + "-obce";
    RemoveTree(Tree);
    RemoveTree(Outside);
    ASSERT_TRUE(ForceDirectories(Tree + "\\inner"));
    ASSERT_TRUE(ForceDirectories(Outside));
    WriteBytes(Tree + "\\angielski.dic", Header(L"Angielski – podstawy", L"\nSłówka na co dzień"));
    WriteBytes(Tree + "\\notes.txt", "x");
    WriteBytes(Outside + "\\obcy.dic", Header(L"Obcy", L""));
    FreshSettingsFor("Tester");
    Application->CreateForm(FMain);
    FMain->Show();
    PumpFor(200);
    Application->CreateForm(FSelDic);
    Form = FSelDic;
  }
  void TearDown() override {
    FreeAndNil(FSelDic);
    CloseMainRemoving("Tester");
    RemoveTree(Tree);
    RemoveTree(Outside);
  }

  std::vector<AnsiString> Files() const {
    std::vector<AnsiString> Result;
    for (int I = 0; I < Form->FLDic->Items()->Count(); ++I) Result.push_back(Form->FLDic->Items()->Strings(I));
    return Result;
  }

  void Preview(const AnsiString& Name) {
    Form->FLDic->SetFileName(Tree + "\\" + Name);
    ASSERT_FALSE(Form->FLDic->FileName().empty()) << Name;
    Form->FLDic->Click();
  }

  // Shows the dialog modally and runs the action once from inside its loop.
  int ShowWith(std::function<void()> Action) {
    const TWhenReady Run([] { return true; }, std::move(Action), 100);
    return Form->ShowModal();
  }

  static void Press(TButton* Button) { SendMessageA(Button->Handle(), BM_CLICK, 0, 0); }

  AnsiString Root, Tree, Outside;
  TFSelDic* Form = nullptr;
};

TEST_F(Chooser, StartsInTheDictionariesFolderAndListsFoldersAndDictionaries) {
  EXPECT_TRUE(AnsiSameText(Form->DLB->Directory(), Root)) << Form->DLB->Directory();
  EXPECT_EQ(Form->Caption(), "Wybierz s\xB3ownik");
  EXPECT_EQ(Form->BCancel->Caption(), "Anuluj");
  EXPECT_EQ(Form->LDLang->Caption(), "Tytu\xB3 s\xB3ownika");

  Form->DLB->SetDirectory(Tree);
  EXPECT_EQ(Files(), std::vector<AnsiString>{"angielski.dic"});
  bool InnerListed = false;
  for (int I = 0; I < Form->DLB->Items()->Count(); ++I)
    InnerListed = InnerListed || AnsiSameText(Form->DLB->GetItemPath(I), Tree + "\\inner");
  EXPECT_TRUE(InnerListed);
  Form->DLB->SetDirectory(Tree + "\\inner");
  EXPECT_TRUE(Files().empty());
}

TEST_F(Chooser, PreviewsTheHeaderWithinItsFields) {
  const std::wstring LongTitle(90, L'T');
  WriteBytes(Tree + "\\long.dic", Header(LongTitle, std::wstring(170, L'D')) + std::string(810, 'Q'));
  WriteBytes(Tree + "\\short.dic", Header(L"Krótki", L"", 6));
  Form->DLB->SetDirectory(Tree);
  struct TCase {
    const char* File;
    AnsiString Title;
    AnsiString Description;
  };
  const TCase Cases[] = {
      // the description's leading line feed is part of it
      {"angielski.dic", "Angielski \x96 podstawy", "\nS\xB3\xF3wka na co dzie\xF1"},
      // full fields have no terminator: each stops at its own size
      {"long.dic", AnsiString(81, 'T'), AnsiString(161, 'D')},
      // a file cut inside the title previews what it holds
      {"short.dic", "Kr\xF3", ""},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.File);
    Preview(Case.File);
    EXPECT_EQ(Form->EQL->Text(), Case.Title.substr(0, 100));
    EXPECT_EQ(Form->MDesc->Text(), Case.Description);
  }
}

TEST_F(Chooser, CannotLeaveTheDictionariesFolder) {
  Form->DLB->SetDirectory(Tree);
  ASSERT_TRUE(AnsiSameText(Form->DLB->Hint(), Tree));
  // above the root, and a neighbour whose name merely starts with the root's
  for (const AnsiString& Away : {ExtractFileDir(Root), Outside}) {
    SCOPED_TRACE(Away);
    Form->DLB->SetDirectory(Away);
    EXPECT_TRUE(AnsiSameText(Form->DLB->Directory(), Tree)) << Form->DLB->Directory();
    EXPECT_EQ(Files(), std::vector<AnsiString>{"angielski.dic"});
  }
  Form->DLB->SetDirectory(Root);
  EXPECT_TRUE(AnsiSameText(Form->DLB->Hint(), Root));
}

TEST_F(Chooser, OkGivesTheChosenFileAndCancelOrNoSelectionCancels) {
  Form->DLB->SetDirectory(Tree);
  const AnsiString Chosen = Tree + "\\angielski.dic";

  EXPECT_EQ(ShowWith([&] {
              Form->FLDic->SetFileName(Chosen);
              Press(Form->BOk);
            }),
            mrOk);
  EXPECT_TRUE(AnsiSameText(Form->FLDic->FileName(), Chosen)) << Form->FLDic->FileName();
  // the dialog keeps its folder and selection; showing it empties the preview
  Form->FLDic->Click();
  EXPECT_EQ(ShowWith([&] {
              EXPECT_TRUE(Form->EQL->Text().empty());
              Press(Form->BCancel);
            }),
            mrCancel);
  EXPECT_TRUE(AnsiSameText(Form->FLDic->FileName(), Chosen));

  EXPECT_EQ(ShowWith([&] {
              Form->FLDic->SetItemIndex(-1);
              Press(Form->BOk);
            }),
            mrCancel);
}

TEST_F(Chooser, DoubleClickOnADictionaryChoosesItAndOnNothingKeepsTheDialogOpen) {
  Form->DLB->SetDirectory(Tree);
  // A double click on the first row, the way the mouse gives it.
  auto DoubleClick = [&] {
    const TRect R = Form->FLDic->ItemRect(0);
    const LPARAM At = MAKELPARAM((R.left + R.right) / 2, (R.top + R.bottom) / 2);
    SendMessageA(Form->FLDic->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At);
    SendMessageA(Form->FLDic->Handle(), WM_LBUTTONUP, 0, At);
    SendMessageA(Form->FLDic->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, At);
    SendMessageA(Form->FLDic->Handle(), WM_LBUTTONUP, 0, At);
  };
  EXPECT_EQ(ShowWith(DoubleClick), mrOk);
  EXPECT_TRUE(AnsiSameText(Form->FLDic->FileName(), Tree + "\\angielski.dic")) << Form->FLDic->FileName();

  bool StayedOpen = false;
  EXPECT_EQ(ShowWith([&] {
              Form->FLDic->SetItemIndex(-1);
              Form->FLDic->DblClick();
              PumpFor(100);
              StayedOpen = Form->Visible();
              Press(Form->BCancel);
            }),
            mrCancel);
  EXPECT_TRUE(StayedOpen);
}

// The folder rows of a folder list.
std::vector<AnsiString> Folders(TDirectoryListBox* List) {
  std::vector<AnsiString> Result;
  for (int I = 0; I < List->Items()->Count(); ++I) Result.push_back(List->GetItemPath(I));
  return Result;
}

bool Lists(TDirectoryListBox* List, const AnsiString& Folder) {
  for (const AnsiString& Path : Folders(List))
    if (AnsiSameText(Path, Folder)) return true;
  return false;
}

TEST_F(Chooser, FoldersMadeMeanwhileShowInBothDialogsAtTheirNextShow) {
  const AnsiString Made = Tree + "\\nowy";
  const AnsiString Elsewhere = Tree + "\\inny";
  // Removes the folders and the save-as dialog, also when the test fails.
  struct TCleanUp {
    AnsiString Made, Elsewhere;
    ~TCleanUp() {
      FreeAndNil(FDicName);
      RemoveDir(Made);
      RemoveDir(Elsewhere);
    }
  } CleanUp{Made, Elsewhere};
  RemoveDir(Made);
  RemoveDir(Elsewhere);
  Application->CreateForm(FDicName);
  Form->DLB->SetDirectory(Tree);
  FDicName->DLB->SetDirectory(Tree);
  EXPECT_EQ(ShowWith([&] { Press(Form->BCancel); }), mrCancel);

  // "Utwórz katalog" in the save-as dialog, answered with a name; the
  // dialog then stands in the new folder and is cancelled.
  const DWORD Deadline = GetTickCount() + 5000;
  const TWhenReady Create([] { return FDicName->Visible() && IsWindowEnabled(FDicName->Handle()); },
                          [] { PostMessageA(FDicName->BCreate->Handle(), BM_CLICK, 0, 0); });
  const TWhenReady Answer(
      [] {
        HWND Window = FindWindowA(nullptr, sNewFolderCaption);
        return Window && IsWindowVisible(Window);
      },
      [] {
        auto* Query = dynamic_cast<TCustomForm*>(FindControl(FindWindowA(nullptr, sNewFolderCaption)));
        if (!Query) return;
        for (int I = 0; I < Query->ComponentCount(); ++I) {
          if (auto* Edit = dynamic_cast<TEdit*>(Query->Components(I))) Edit->SetText("nowy");
          if (auto* Button = dynamic_cast<TButton*>(Query->Components(I)); Button && Button->ModalResult() == mrOk)
            PostMessageA(Button->Handle(), BM_CLICK, 0, 0);
        }
      });
  const TWhenReady Leave([&] { return AnsiSameText(FDicName->DLB->Directory(), Made) && IsWindowEnabled(FDicName->Handle()); },
                         [] { PostMessageA(FDicName->BCancel->Handle(), BM_CLICK, 0, 0); });
  // Whatever stayed open closes by the deadline.
  const TWhenReady GiveUp([Deadline] { return GetTickCount() > Deadline; },
                          [] {
                            if (HWND Query = FindWindowA(nullptr, sNewFolderCaption)) PostMessageA(Query, WM_CLOSE, 0, 0);
                            PostMessageA(FDicName->Handle(), WM_CLOSE, 0, 0);
                          });
  FDicName->ShowModal();
  ASSERT_TRUE(Leave.Done()) << "the save-as dialog never stood in the new folder";
  ASSERT_TRUE(DirectoryExists(Made));

  // The chooser, still in the folder above, lists the new folder as soon as
  // it is shown; a folder made outside either dialog shows in both.
  ASSERT_TRUE(ForceDirectories(Elsewhere));
  bool ChooserLists = false, ChooserListsOther = false;
  EXPECT_EQ(ShowWith([&] {
              ChooserLists = Lists(Form->DLB, Made);
              ChooserListsOther = Lists(Form->DLB, Elsewhere);
              Press(Form->BCancel);
            }),
            mrCancel);
  EXPECT_TRUE(ChooserLists) << "the folder made in the save-as dialog is missing";
  EXPECT_TRUE(ChooserListsOther);

  FDicName->DLB->SetDirectory(Tree);
  ASSERT_TRUE(RemoveDir(Made));
  bool SaveAsListsOther = false, SaveAsListsRemoved = true;
  const TWhenReady Look([] { return FDicName->Visible(); },
                        [&] {
                          SaveAsListsOther = Lists(FDicName->DLB, Elsewhere);
                          SaveAsListsRemoved = Lists(FDicName->DLB, Made);
                          PostMessageA(FDicName->BCancel->Handle(), BM_CLICK, 0, 0);
                        });
  const TWhenReady GiveUpAgain([Deadline] { return GetTickCount() > Deadline + 3000; },
                               [] { PostMessageA(FDicName->Handle(), WM_CLOSE, 0, 0); });
  FDicName->ShowModal();
  EXPECT_TRUE(SaveAsListsOther) << "a folder made meanwhile is missing from the save-as dialog";
  EXPECT_FALSE(SaveAsListsRemoved) << "a removed folder is still listed";
}

TEST_F(Chooser, ARecentItemPutsBothListsInTheRecentFilesFolder) {
  const AnsiString Path = Tree + "\\inner\\ostatni.dic";
  // Closes the exercise and removes its dictionary and recent list, also
  // when the test fails.
  struct TCleanUp {
    AnsiString Path;
    ~TCleanUp() {
      while (TCustomForm* Child = FMain->ActiveMDIChild()) {
        Child->Close();
        if (!PumpUntil([Child] { return FMain->ActiveMDIChild() != Child; }, 2000)) break;
      }
      FreeAndNil(FBledy);
      DeleteRecentLists();
      DeleteFile(Path);
    }
  } CleanUp{Path};
  DeleteRecentLists();
  SaveDict(Path, {{L"dom", {L"house"}}});
  Application->CreateForm(FBledy);
  // The chooser stands in the dictionaries folder, as after a start.
  Form->DLB->SetDirectory(Root);

  FMain->LL41->SetHint(Path);
  FMain->LL44Click(FMain->LL41);
  ASSERT_NE(FMain->ActiveMDIChild(), nullptr) << "the recent item started nothing";
  EXPECT_TRUE(AnsiSameText(Form->FLDic->FileName(), Path)) << Form->FLDic->FileName();
  EXPECT_TRUE(AnsiSameText(Form->FLDic->Directory(), Tree + "\\inner")) << Form->FLDic->Directory();
  EXPECT_TRUE(AnsiSameText(Form->DLB->Directory(), Tree + "\\inner")) << Form->DLB->Directory();
  ASSERT_GE(Form->DLB->ItemIndex(), 0);
  EXPECT_TRUE(AnsiSameText(Form->DLB->GetItemPath(Form->DLB->ItemIndex()), Tree + "\\inner"))
      << "the folder list highlights another folder";
  // The folder is the one the chooser keeps: going above the root brings it back.
  Form->DLB->SetDirectory(ExtractFileDir(Root));
  EXPECT_TRUE(AnsiSameText(Form->DLB->Directory(), Tree + "\\inner")) << Form->DLB->Directory();
}

TEST_F(Chooser, AFolderRemovedMeanwhileGivesWayToTheDictionariesFolder) {
  const AnsiString Gone = Tree + "\\usuniety";
  // Removes the folder and the save-as dialog, also when the test fails.
  struct TCleanUp {
    AnsiString Gone;
    ~TCleanUp() {
      FreeAndNil(FDicName);
      RemoveDir(Gone);
    }
  } CleanUp{Gone};
  ASSERT_TRUE(ForceDirectories(Gone));
  Application->CreateForm(FDicName);
  Form->DLB->SetDirectory(Gone);
  FDicName->DLB->SetDirectory(Gone);
  ASSERT_TRUE(RemoveDir(Gone));

  AnsiString ChooserIn, FilesIn, SaveAsIn;
  EXPECT_EQ(ShowWith([&] {
              ChooserIn = Form->DLB->Directory();
              FilesIn = Form->FLDic->Directory();
              Press(Form->BCancel);
            }),
            mrCancel);
  const TWhenReady Look([] { return FDicName->Visible(); },
                        [&] {
                          SaveAsIn = FDicName->DLB->Directory();
                          PostMessageA(FDicName->BCancel->Handle(), BM_CLICK, 0, 0);
                        });
  const DWORD Deadline = GetTickCount() + 3000;
  const TWhenReady GiveUp([Deadline] { return GetTickCount() > Deadline; },
                          [] { PostMessageA(FDicName->Handle(), WM_CLOSE, 0, 0); });
  FDicName->ShowModal();
  EXPECT_TRUE(AnsiSameText(ChooserIn, Root)) << ChooserIn;
  EXPECT_TRUE(AnsiSameText(FilesIn, Root)) << FilesIn;
  EXPECT_TRUE(AnsiSameText(SaveAsIn, Root)) << SaveAsIn;
  EXPECT_TRUE(Look.Done()) << "the save-as dialog did not show";
}

}  // namespace
