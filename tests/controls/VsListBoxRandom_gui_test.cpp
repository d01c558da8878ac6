// Seeded random runs over the themed list box: sequences of row changes,
// sorting, re-creation, wild indexes and keys, with the window's rows and
// the drawn texts checked after every step; and damaged layouts of a list
// box, each read whole or refused with the layout reader's error.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <random>
#include <string>

#include "Filer.h"
#include "Forms.h"
#include "GuiTestSupport.h"
#include "ListBoxTestSupport.h"
#include "Streams.h"
#include "Threads.h"
#include "VsFrameworkUtils.h"
#include "VsListBox.h"
#include "VsSBController.h"
#include "VsTools.h"

namespace {

// Each instance runs its own block of the seeded runs, so that no single
// test runs long.
class ListBoxRandom : public ::testing::TestWithParam<int> {
protected:
  void SetUp() override {
    Application->CreateForm(Form);
    Form->SetBounds(0, 0, 300, 300);
    Form->Show();
    List = Create<TRecorder>(Form);
    List->SetParent(Form);
    List->SetBounds(5, 5, 200, 120);
    List->SetItemHeight(16);
    List->SetUseCustomScrollBars(false);
    List->SetIncrementalSearchTimeout(20);
    List->HandleNeeded();
  }
  void TearDown() override {
    Form->Free();
    PumpFor(50);
  }

  TForm* Form = nullptr;
  TRecorder* List = nullptr;
};

TEST_P(ListBoxRandom, RowsAndDrawnTextsStayInStepThroughRandomSequences) {
  std::mt19937 Random(4105 + GetParam());
  const auto Pick = [&Random](int N) { return static_cast<int>(Random() % static_cast<unsigned>(N)); };
  // Few distinct words, so that sorted lists meet duplicates.
  const WideString Words[] = {L"ala", L"Ala", L"ōma", L"ζ", L"kot", L"źdźbło", L"", L"b"};
  const auto Word = [&] { return Words[Pick(8)]; };
  const auto Index = [&](int Count) { return Pick(Count + 4) - 2; };
  TVsListBoxStrings* Items = List->Items();
  // 10 blocks of 1,000 sequences.
  for (int Sequence = 0; Sequence < 1000; ++Sequence) {
    for (int Step = 0, Steps = 1 + Pick(3); Step < Steps; ++Step) {
      const int Count = Items->Count();
      const int Op = Pick(100);
      std::string What;
      try {
        if (Op < 30) {
          What = "add";
          Items->Add(Word());
        } else if (Op < 42) {
          What = "insert";
          Items->Insert(Index(Count), Word());
        } else if (Op < 54) {
          What = "delete";
          Items->Delete(Index(Count));
        } else if (Op < 62) {
          What = "exchange";
          Items->Exchange(Index(Count), Index(Count));
        } else if (Op < 70) {
          What = "move";
          Items->Move(Index(Count), Index(Count));
        } else if (Op < 72) {
          What = "clear";
          Items->Clear();
        } else if (Op < 76) {
          What = "sorted";
          List->SetSorted(!List->Sorted());
        } else if (Op < 77) {
          What = "re-creation";
          List->SetBorderStyle(List->BorderStyle() == bsSingle ? bsNone : bsSingle);
        } else if (Op < 85) {
          What = "indexes";
          List->SetItemIndex(Pick(Count + 20) - 10);
          List->SetTopIndex(Pick(Count + 20) - 10);
        } else if (Op < 95) {
          What = "key";
          const WORD Key = static_cast<WORD>(Pick(0x60) + 8);
          SendMessageW(List->Handle(), WM_KEYDOWN, Key, 1 | (MapVirtualKeyW(Key, 0) << 16));
        } else {
          What = "dead key";
          SendMessageW(List->Handle(), WM_DEADCHAR, static_cast<WPARAM>(0x5E + Pick(3) * 0x20), 1);
        }
      } catch (const EListError&) {
        // Only a bad index is refused, and it changes nothing.
        EXPECT_EQ(Items->Count(), Count) << What;
      } catch (const EStringListError&) {
        // A sorted list refuses Insert and Move.
        EXPECT_TRUE(List->Sorted()) << What;
        EXPECT_EQ(Items->Count(), Count) << What;
      }
      ASSERT_EQ(SendMessageW(List->Handle(), LB_GETCOUNT, 0, 0), Items->Count())
          << "sequence " << Sequence << ", " << What;
      if (Step + 1 < Steps) continue;
      List->Drawn.clear();
      InvalidateRect(List->Handle(), nullptr, FALSE);
      UpdateWindow(List->Handle());
      for (const auto& [Row, Text] : List->Drawn)
        ASSERT_EQ(Text, Items->Strings(Row)) << "sequence " << Sequence << ", row " << Row;
      const int Top = List->TopIndex();
      const int Visible = std::min(Items->Count() - Top, List->ClientHeight() / 16);
      ASSERT_GE(static_cast<int>(List->Drawn.size()), Visible) << "sequence " << Sequence;
    }
    if (Sequence % 200 == 0) Application->ProcessMessages();
  }
}

TEST_P(ListBoxRandom, DamagedLayoutsReadOrRaiseTheReadersError) {
  const std::string Base =
      "object F: TForm\n"
      "  object LB: TVsListBox\n"
      "    Left = 4\n"
      "    ItemHeight = 18\n"
      "    TabWidth = 8\n"
      "    HighlightAlphaLevel = 200\n"
      "    Style = lbOwnerDrawFixed\n"
      "    SelectedColor = clRed\n"
      "    Items.Strings = (\n"
      "      'jeden'\n"
      "      'dwa'#322'a'\n"
      "      'trzy')\n"
      "  end\n"
      "end\n";
  const char* Values[] = {"0", "-7", "2147483647", "-2147483648", "300", "lbVirtual", "lbVirtualOwnerDraw",
                          "#55357", "#56832'x'", "'", "(", "clNope", "True", "1e99"};
  std::mt19937 Random(5105 + GetParam());
  int Read = 0, Refused = 0;
  // 10 blocks of 200 layouts.
  for (int Run = 0; Run < 200; ++Run) {
    std::string Text = Base;
    switch (Random() % 3) {
      case 0: Text.resize(Random() % Text.size()); break;
      case 1: {
        // One value replaced.
        size_t At = Text.find(" = ", Random() % Text.size());
        if (At == std::string::npos) At = Text.find(" = ");
        const size_t End = Text.find('\n', At);
        Text.replace(At + 3, End - At - 3, Values[Random() % std::size(Values)]);
        break;
      }
      default: {
        // A unit of a string changed.
        size_t At = Text.find('#');
        Text.replace(At + 1, 3, std::to_string(0xD800 + Random() % 0x800).substr(0, 5));
        break;
      }
    }
    TOwned<TForm> Target(new TForm(nullptr));
    TStringStream S(Text);
    try {
      ReadComponentLayout(&S, Target.get());
      ++Read;
      if (auto* LB = dynamic_cast<TVsListBox*>(Target->FindComponent("LB"))) {
        EXPECT_GT(LB->ItemHeight(), 0);
        EXPECT_GE(LB->TabWidth(), 0);
        EXPECT_LE(LB->HighlightAlphaLevel(), 255);
        EXPECT_NE(LB->Style(), lbVirtual);
        EXPECT_NE(LB->Style(), lbVirtualOwnerDraw);
      }
    } catch (const EFilerError&) {
      ++Refused;
    } catch (const EConvertError&) {
      ++Refused;
    }
  }
  EXPECT_GT(Read, 0);
  EXPECT_GT(Refused, 0);
}

INSTANTIATE_TEST_SUITE_P(Blocks, ListBoxRandom, ::testing::Range(0, 10));

class TRandomEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    InitializeListBoxUnits();
    TForm* Main = nullptr;
    Application->CreateForm(Main);
  }
  void TearDown() override { FinalizeForms(); }
};

[[maybe_unused]] const auto* const RandomEnvironment = ::testing::AddGlobalTestEnvironment(new TRandomEnvironment);

}  // namespace
