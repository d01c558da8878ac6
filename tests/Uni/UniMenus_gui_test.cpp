// Accelerator and shortcut texts in UTF-16, and menu entries with wide
// captions.
#include "UniGuiTestSupport.h"
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "Forms.h"
#include "Framework.h"
#include "Menus.h"
#include "UniControls.h"
#include "UniMenus.h"
#include "UniSysUtils.h"
#include "UniSystem.h"

namespace {

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TUniGuiEnvironment);

class UniMenusTest : public ::testing::Test {
protected:
  void SetUp() override {
    IsUnicodePlatform = true;
    UniFarEastLocale = false;
  }
  void TearDown() override {
    IsUnicodePlatform = true;
    UniFarEastLocale = false;
  }
};

// The key's character, and its name, as the system gives them.
WideString SystemKeyText(Word Key) {
  const WideChar Ch = static_cast<WideChar>(MapVirtualKeyW(Key, 2) & 0xFFFF);
  return Ch ? WideString(1, Ch) : WideString();
}

WideString SystemKeyName(Word Key) {
  WideChar Buffer[256] = {};
  const int N = GetKeyNameTextW(static_cast<LONG>(MapVirtualKeyW(Key, 0) << 16), Buffer, 256);
  return WideString(Buffer, static_cast<size_t>(std::max(N, 0)));
}

WideString EntryText(HMENU Menu, Word Command) {
  WideChar Buffer[256] = {};
  const int N = GetMenuStringW(Menu, Command, Buffer, 256, MF_BYCOMMAND);
  return WideString(Buffer, static_cast<size_t>(std::max(N, 0)));
}

// A model of the accelerator rules: the caption read as tokens "&&",
// "&x" and single characters, left to right.
struct TModel {
  int Pos = 0;
  WideString Stripped;
  explicit TModel(const WideString& S) {
    size_t I = 0;
    while (I < S.size()) {
      if (S[I] == L'&' && I + 1 < S.size()) {
        if (S[I + 1] == L'&') {
          Stripped += L'&';
        } else {
          Pos = static_cast<int>(I) + 2;
          Stripped += S[I + 1];
        }
        I += 2;
      } else {
        if (S[I] != L'&') Stripped += S[I];
        ++I;
      }
    }
  }
};

}  // namespace

TEST_F(UniMenusTest, HotkeyTable) {
  struct TCase {
    const WideChar* Caption;
    int Pos;
    const WideChar* Key;
    const WideChar* Stripped;
  };
  const TCase Cases[] = {
      {L"&Plik", 1 + 1, L"P", L"Plik"},     {L"A&&B", 0, L"", L"A&B"},      {L"A&&&B", 5, L"B", L"A&B"},
      {L"AB&", 0, L"", L"AB"},              {L"Zapi&sz", 6, L"s", L"Zapisz"}, {L"&&&", 0, L"", L"&"},
      {L"", 0, L"", L""},                   {L"&\u0104b", 2, L"\u0104", L"\u0104b"},
      {L"&a&b", 4, L"b", L"ab"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(WideToUTF8(C.Caption));
    EXPECT_EQ(WideGetHotkeyPos(C.Caption), C.Pos);
    EXPECT_EQ(WideGetHotkey(C.Caption), C.Key);
    EXPECT_EQ(WideStripHotkey(C.Caption), C.Stripped);
  }
  EXPECT_TRUE(WideSameCaption(L"&Plik \u0105", L"pli&k \u0104"));
  EXPECT_FALSE(WideSameCaption(L"&Plik", L"Plik2"));
  UniFarEastLocale = true;
  EXPECT_EQ(WideStripHotkey(L"Plik(&F)"), L"Plik");
  UniFarEastLocale = false;
  EXPECT_EQ(WideStripHotkey(L"Plik(&F)"), L"Plik(F)");
}

TEST_F(UniMenusTest, RandomCaptionsAgainstAModel) {
  std::mt19937 Random(1105);
  const WideChar Alphabet[] = {L'&', L'&', L'&', L'a', L'B', L'\u0105', L'\u00F1', 0xD83D, 0xDE00, L'(', L')'};
  for (int N = 0; N < 10000; ++N) {
    WideString Caption;
    const int Length = static_cast<int>(Random() % 9);
    for (int I = 0; I < Length; ++I) Caption += Alphabet[Random() % std::size(Alphabet)];
    const TModel Model(Caption);
    ASSERT_EQ(WideGetHotkeyPos(Caption), Model.Pos) << WideToUTF8(Caption);
    ASSERT_EQ(WideStripHotkey(Caption), Model.Stripped) << WideToUTF8(Caption);
    ASSERT_EQ(WideGetHotkey(Caption), Model.Pos ? Caption.substr(Model.Pos - 1, 1) : WideString());
  }
}

TEST_F(UniMenusTest, ShortCutTexts) {
  EXPECT_EQ(WideShortCutToText(scCtrl | scShift | 'A'), L"Shift+Ctrl+" + SystemKeyText('A'));
  EXPECT_EQ(WideShortCutToText(scAlt | '7'), L"Alt+" + SystemKeyText('7'));
  EXPECT_EQ(WideShortCutToText(scCtrl | VK_F5), AnsiToWide(ShortCutToText(scCtrl | VK_F5)));
  EXPECT_EQ(WideShortCutToText(VK_DELETE), AnsiToWide(ShortCutToText(VK_DELETE)));
  EXPECT_EQ(WideShortCutToText(scCtrl | VK_MULTIPLY), L"Ctrl+" + SystemKeyName(VK_MULTIPLY));
  // A keypad digit is never without a text.
  const WideString Num1 = WideShortCutToText(scCtrl | VK_NUMPAD1);
  EXPECT_EQ(Num1, SystemKeyText(VK_NUMPAD1).empty() ? AnsiToWide(ShortCutToText(scCtrl | VK_NUMPAD1))
                                                     : L"Ctrl+" + SystemKeyText(VK_NUMPAD1));
  EXPECT_NE(Num1, L"");
  EXPECT_NE(Num1, L"Ctrl+");
  EXPECT_EQ(WideShortCutToText(0), L"");
  IsUnicodePlatform = false;
  EXPECT_EQ(WideShortCutToText(scCtrl | 'A'), AnsiToWide(ShortCutToText(scCtrl | 'A')));
}

TEST_F(UniMenusTest, EntriesShowTheWideCaption) {
  TPopupMenu* Popup = new TPopupMenu(Application);  // owned by the application
  auto* Item = new TUniMenuItem(Popup);
  Popup->Items()->Add(Item);
  Item->SetCaption(L"Zapi&sz \u00F1");
  Item->SetShortCut(scCtrl | 'S');
  EXPECT_EQ(Item->TMenuItem::Caption(), "Zapi&sz n");
  HMENU Menu = Popup->Handle();
  EXPECT_EQ(EntryText(Menu, Item->Command()), L"Zapi&sz \u00F1\t" + WideShortCutToText(scCtrl | 'S'));
  // Changed again: the entry follows, also when only the wide text changes.
  Item->SetCaption(L"Zapi&sz \u0144");
  EXPECT_EQ(EntryText(Menu, Item->Command()), L"Zapi&sz \u0144\t" + WideShortCutToText(scCtrl | 'S'));
  Item->SetCaption(L"Zapi&sz \u00F1");
  EXPECT_EQ(EntryText(Menu, Item->Command()), L"Zapi&sz \u00F1\t" + WideShortCutToText(scCtrl | 'S'));

  // The bar of a main menu shows no shortcut text.
  TMainMenu* Main = new TMainMenu(Application);  // owned by the application
  auto* Top = new TUniMenuItem(Main);
  Main->Items()->Add(Top);
  Top->SetCaption(L"&Plik \u0101");
  Top->SetShortCut(scCtrl | 'P');
  EXPECT_EQ(EntryText(Main->Handle(), Top->Command()), L"&Plik \u0101");
  Popup->Free();
  Main->Free();
}

TEST_F(UniMenusTest, CaptionFollowsThe8BitAccelerator) {
  TUniMenuItem Item(nullptr);
  Item.SetCaption(L"&\u0104bc");
  EXPECT_EQ(Item.TMenuItem::Caption(), "&\xA5" "bc");
  // Other code moves the accelerator in the 8-bit caption only.
  Item.TMenuItem::SetCaption("\xA5" "b&c");
  EXPECT_EQ(Item.Caption(), L"\u0104b&c");
  Item.TMenuItem::SetCaption("A&&b&c");
  EXPECT_EQ(Item.Caption(), L"A&&b&c");  // "&&" is no part of the text: out of step
  // A caption that no longer fits is the 8-bit one, never an error.
  Item.TMenuItem::SetCaption("xyz");
  EXPECT_EQ(Item.Caption(), L"xyz");
  Item.SetHint(L"Zapisz|Zapisuje \u00F1");
  EXPECT_EQ(Item.TMenuItem::Hint(), "Zapisz|Zapisuje n");
  EXPECT_EQ(Item.Hint(), L"Zapisz|Zapisuje \u00F1");
  Item.TMenuItem::SetHint("inny");
  EXPECT_EQ(Item.Hint(), L"inny");
}
