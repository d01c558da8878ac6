// Special characters typed into answer edits: the user's shortcut-key list,
// the shortcut manager with its keypad sequences, the macron vowels, and the
// whole path from real key messages through a window that hosts such an edit.
#include "TrainerTestSupport.h"
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "ELEngine.h"
#include "FileUtils.h"
#include "StdCtrls.h"
#include "TestSupport.h"

namespace {

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TTrainerEnvironment);

const TShiftState Ctrl{ssCtrl};
const TShiftState CtrlShift{ssCtrl, ssShift};

// A window hosting an answer edit the way the learning window and the
// editor do: key-down asks the main window, and a consumed key loses its
// character too.
class TKeyHost : public TForm {
public:
  explicit TKeyHost(TComponent* AOwner) : TForm(AOwner) {
    SetBounds(100, 100, 300, 120);
    Edit = new TVsEdit(this);
    Edit->SetParent(this);
    Edit->SetBounds(10, 10, 260, 24);
    Edit->OnKeyDown = TKeyEvent(this, &TKeyHost::EditKeyDown);
    Edit->OnKeyPress = TKeyPressEvent(this, &TKeyHost::EditKeyPress);
    Edit->OnChange = TNotifyEvent(this, &TKeyHost::EditChange);
  }
  void EditKeyDown(TObject* Sender, Word& Key, TShiftState Shift) {
    FMain->TranslateShortcutKey(Key, Shift, Consumed, static_cast<TCustomVsEdit*>(Sender));
    if (Consumed) Key = 0;
  }
  void EditKeyPress(TObject*, char& Key) {
    if (Consumed) Key = 0;
  }
  void EditChange(TObject*) { ++Changes; }

  TVsEdit* Edit = nullptr;
  bool Consumed = false;
  int Changes = 0;
};

class SpecialKeys : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    DeleteFile("keys.shc");
    DeleteFile(ConfigPath());
    Application->CreateForm(FMain);
  }
  static void TearDownTestSuite() {
    FreeAndNil(FMain);
    DeleteFile("keys.shc");
    DeleteFile(ConfigPath());
  }

  void SetUp() override {
    FMain->KeyHelpers->Clear();
    CreateShortcutManager("");
    Host = Create<TKeyHost>(Application);
    Host->Show();
    Host->Edit->SetFocus();
    PumpFor(50);
  }
  void TearDown() override { Host->Free(); }

  // The edit's text as UTF-16.
  WideString Text() const { return Host->Edit->Text(); }
  void SetText(const WideString& S) { Host->Edit->SetText(S); }
  // Selects From..To with the caret left at To.
  void Select(int From, int To) { Host->Edit->Perform(EM_SETSEL, From, To); }
  int Caret() { return Host->Edit->SelStart(); }

  TKeyHost* Host = nullptr;
};

// --- the user's shortcut-key list ---------------------------------------

struct TListCase {
  const char* What;
  const char* Line;
  Word Key;
  TShiftState Shift;
  const wchar_t* Before;
  int SelFrom, SelTo;  // the caret stands on SelTo
  int MaxLength;
  const wchar_t* After;
  int CaretAfter;
  bool Consumed;
};

TEST_F(SpecialKeys, UserListTypesItsCharacterAtTheCaret) {
  const TListCase Cases[] = {
      {"caret inside", "16449=261", 'A', Ctrl, L"ab", 1, 1, 0, L"a\u0105b", 2, true},
      {"caret at the end", "16449=261", 'A', Ctrl, L"ab", 2, 2, 0, L"ab\u0105", 3, true},
      {"selection made rightwards: behind it, kept", "16449=261", 'A', Ctrl, L"abcd", 1, 3, 0, L"abc\u0105d", 4, true},
      {"selection made leftwards: in front of it, kept", "16449=261", 'A', Ctrl, L"abcd", 3, 1, 0, L"a\u0105bcd", 2,
       true},
      {"Shift and Alt count", "41026=243", 'B', TShiftState{ssShift, ssAlt}, L"", 0, 0, 0, L"\u00F3", 1, true},
      {"mouse buttons do not count", "16449=261", 'A', TShiftState{ssCtrl, ssLeft}, L"", 0, 0, 0, L"\u0105", 1, true},
      {"a code above 65535 keeps its low 16 bits", "16449=65797", 'A', Ctrl, L"", 0, 0, 0, L"\u0105", 1, true},
      {"the edit is full: nothing, key still used", "16449=261", 'A', Ctrl, L"ab", 2, 2, 2, L"ab", 2, true},
      {"another key", "16449=261", 'B', Ctrl, L"ab", 1, 1, 0, L"ab", 1, false},
      {"code 0 is no character", "16450=0", 'B', Ctrl, L"ab", 1, 1, 0, L"ab", 1, false},
      {"half a surrogate pair is no character", "16450=55357", 'B', Ctrl, L"ab", 1, 1, 0, L"ab", 1, false},
  };
  for (const TListCase& C : Cases) {
    SCOPED_TRACE(C.What);
    FMain->KeyHelpers->SetText(C.Line);
    Host->Edit->SetMaxLength(C.MaxLength);
    SetText(C.Before);
    Select(C.SelFrom, C.SelTo);
    Host->Changes = 0;
    Word Key = C.Key;
    bool Consumed = !C.Consumed;
    FMain->TranslateShortcutKey(Key, C.Shift, Consumed, Host->Edit);
    EXPECT_EQ(Text(), C.After);
    EXPECT_EQ(Caret(), C.CaretAfter);
    EXPECT_EQ(Host->Edit->SelLength(), 0);
    EXPECT_EQ(Consumed, C.Consumed);
    EXPECT_EQ(Host->Changes, Text() == C.Before ? 0 : 1);
  }
}

TEST_F(SpecialKeys, FirstLineOfAShortcutWins) {
  FMain->KeyHelpers->SetText("16449=261\r\n16449=281\r\n");
  Word Key = 'A';
  bool Consumed = false;
  FMain->TranslateShortcutKey(Key, Ctrl, Consumed, Host->Edit);
  EXPECT_EQ(Text(), L"\u0105");
}

// A value that is no number raises the conversion error (shown by the
// application) and types nothing; the flag of an earlier key does not stay.
TEST_F(SpecialKeys, NonNumericValueRaisesAndTypesNothing) {
  FMain->KeyHelpers->SetText("16449=261\r\n16450=abc\r\n");
  SetText(L"xy");
  Select(1, 1);
  Word Key = 'A';
  bool Consumed = false;
  FMain->TranslateShortcutKey(Key, Ctrl, Consumed, Host->Edit);
  ASSERT_TRUE(Consumed);
  Key = 'B';
  EXPECT_EQ(MessageOf<EConvertError>([&] { FMain->TranslateShortcutKey(Key, Ctrl, Consumed, Host->Edit); }),
            WideToAnsi(L"„abc” nie jest prawidłową liczbą całkowitą"));
  EXPECT_FALSE(Consumed);
  EXPECT_EQ(Text(), L"x\u0105y");
}

TEST_F(SpecialKeys, LoadShortcutKeysKeepsTheListWhenTheFileIsMissing) {
  const AnsiString Saved = FMain->ShortcutKeysFile;
  FMain->ShortcutKeysFile = TestTempPath("keys", "keys.shc");
  DeleteFile(FMain->ShortcutKeysFile);
  FMain->KeyHelpers->SetText("16449=261");
  FMain->LoadShortcutKeys();
  EXPECT_EQ(FMain->KeyHelpers->Text(), "16449=261\r\n");

  TOwned<TStringList> File(new TStringList());
  File->SetText("16450=322\r\n");
  File->SaveToFile(FMain->ShortcutKeysFile);
  FMain->LoadShortcutKeys();
  EXPECT_EQ(FMain->KeyHelpers->Text(), "16450=322\r\n");
  DeleteFile(FMain->ShortcutKeysFile);
  FMain->ShortcutKeysFile = Saved;
}

// --- the shortcut manager ------------------------------------------------

TEST(ShortcutManager, ShiftStateToShortcutBits) {
  EXPECT_EQ(ShiftStateToShortcutBits({}), 0);
  EXPECT_EQ(ShiftStateToShortcutBits({ssShift}), 0x2000);
  EXPECT_EQ(ShiftStateToShortcutBits({ssCtrl}), 0x4000);
  EXPECT_EQ(ShiftStateToShortcutBits({ssAlt}), 0x8000);
  EXPECT_EQ(ShiftStateToShortcutBits({ssShift, ssAlt, ssCtrl, ssLeft, ssDouble}), 0xE000);
}

TEST(ShortcutManager, TranslateKey) {
  TShortcutManager Manager;
  Manager.SetText("16449=261\r\n16450=x\r\n16451=0\r\n49217=380\r\n");
  struct {
    TShiftState Shift;
    Word Key;
    bool Hit;
    Word After;
  } const Cases[] = {
      {Ctrl, 'A', true, 261},
      {TShiftState{ssCtrl, ssAlt}, 'A', true, 380},  // 0xC041, above 32767
      {Ctrl, 'B', false, 'B'},                       // not a number
      {Ctrl, 'C', false, 'C'},                       // code 0
      {{}, 'A', false, 'A'},
  };
  for (const auto& C : Cases) {
    Word Key = C.Key;
    EXPECT_EQ(Manager.TranslateKey(C.Shift, Key), C.Hit) << C.Key;
    EXPECT_EQ(Key, C.After) << C.Key;
  }
}

// Keys pressed one after another; each gives the character typed or 0.
std::vector<Word> TypeKeypad(TShortcutManager& Manager, const std::vector<std::pair<TShiftState, Word>>& Keys) {
  std::vector<Word> Typed;
  for (auto [Shift, Key] : Keys) Typed.push_back(Manager.TranslateKeypadSequence(Shift, Key) ? Key : 0);
  return Typed;
}

constexpr Word Num(int Digit) { return static_cast<Word>(VK_NUMPAD0 + Digit); }

TEST(ShortcutManager, KeypadSequencesOfOneToFourDigits) {
  TShortcutManager Manager;
  Manager.SetText("$7=231\r\n$26=281\r\n$261=322\r\n$345=243\r\n$1234=380\r\n$9=x\r\n$=65\r\n");
  struct {
    const char* What;
    std::vector<std::pair<TShiftState, Word>> Keys;
    std::vector<Word> Typed;
  } const Cases[] = {
      {"one digit", {{Ctrl, Num(7)}}, {231}},
      {"the first prefix that names an entry wins", {{Ctrl, Num(2)}, {Ctrl, Num(6)}, {Ctrl, Num(1)}}, {0, 281, 0}},
      {"three digits", {{Ctrl, Num(3)}, {Ctrl, Num(4)}, {Ctrl, Num(5)}}, {0, 0, 243}},
      {"four digits", {{Ctrl, Num(1)}, {Ctrl, Num(2)}, {Ctrl, Num(3)}, {Ctrl, Num(4)}}, {0, 0, 0, 380}},
      {"the fifth digit empties the sequence, the next one starts anew",
       {{Ctrl, Num(5)}, {Ctrl, Num(5)}, {Ctrl, Num(5)}, {Ctrl, Num(5)}, {Ctrl, Num(5)}, {Ctrl, Num(7)}},
       {0, 0, 0, 0, 0, 231}},
      {"another key starts anew", {{Ctrl, Num(2)}, {Ctrl, 'X'}, {Ctrl, Num(6)}}, {0, 0, 0}},
      {"the Ctrl key's own repeat starts anew", {{Ctrl, Num(2)}, {Ctrl, VK_CONTROL}, {Ctrl, Num(6)}}, {0, 0, 0}},
      {"without Ctrl", {{{}, Num(7)}, {CtrlShift, Num(7)}}, {0, 0}},
      {"digits of the main keyboard", {{Ctrl, '7'}}, {0}},
      {"no lookup of the bare $ while nothing is pending", {{Ctrl, 'Q'}, {{}, 'Q'}}, {0, 0}},
  };
  for (const auto& C : Cases) {
    Manager.ResetKeypadSequence();
    EXPECT_EQ(TypeKeypad(Manager, C.Keys), C.Typed) << C.What;
  }
  // A value that is no number types nothing and keeps the digits.
  Manager.ResetKeypadSequence();
  Word Key = Num(9);
  EXPECT_FALSE(Manager.TranslateKeypadSequence(Ctrl, Key));
  EXPECT_EQ(Manager.KeypadSequence(), "9");
}

TEST(ShortcutManager, LoadsItsListWhenTheFileExists) {
  const AnsiString Path = TestTempPath("keys", "list.scd");
  TOwned<TStringList> File(new TStringList());
  File->SetText("$1=261\r\n");
  File->SaveToFile(Path);
  CreateShortcutManager(Path);
  ASSERT_NE(ShortcutManager(), nullptr);
  EXPECT_EQ(ShortcutManager()->Values("$1"), "261");
  DeleteFile(Path);
  CreateShortcutManager(Path);
  EXPECT_EQ(ShortcutManager()->Count(), 0);
  FreeShortcutManager();
  EXPECT_EQ(ShortcutManager(), nullptr);
}

// --- the manager and the vowels behind the user's list --------------------

TEST(MacronVowels, KeysOfTheLayoutsVowelsWithCtrlOrCtrlShift) {
  const char* const Vowels = "aeiou";
  const wchar_t* const Small = L"\u0101\u0113\u012B\u014D\u016B";
  const wchar_t* const Capital = L"\u0100\u0112\u012A\u014C\u016A";
  for (int I = 0; I < 5; ++I) {
    const auto Key = static_cast<Word>(VkKeyScanA(Vowels[I]));
    EXPECT_EQ(MacronVowel(Key, Ctrl), Small[I]) << Vowels[I];
    EXPECT_EQ(MacronVowel(Key, CtrlShift), Capital[I]) << Vowels[I];
    EXPECT_EQ(MacronVowel(Key, TShiftState{ssCtrl, ssAlt}), 0) << "AltGr " << Vowels[I];
    EXPECT_EQ(MacronVowel(Key, {}), 0) << Vowels[I];
  }
  EXPECT_EQ(MacronVowel('B', Ctrl), 0);
  EXPECT_EQ(MacronVowel(VK_LEFT, CtrlShift), 0);
}

struct TSpecialCase {
  const char* What;
  const char* Manager;
  Word Key;
  TShiftState Shift;
  const wchar_t* After;
  Word KeyAfter;
  bool Consumed;
};

TEST_F(SpecialKeys, ManagerAndVowelsGetTheKeysTheListLeaves) {
  const TSpecialCase Cases[] = {
      {"manager shortcut", "16471=322", 'W', Ctrl, L"a\u0142b", 0, true},
      {"manager beats the vowel", "16449=261", 'A', Ctrl, L"a\u0105b", 0, true},
      {"Ctrl vowel", "", 'A', Ctrl, L"a\u0101b", 0, true},
      {"Ctrl+Shift vowel", "", 'U', CtrlShift, L"a\u016Ab", 0, true},
      {"Ctrl+Shift with any key is used up", "", VK_LEFT, CtrlShift, L"ab", 0, true},
      {"other Ctrl keys stay the edit's", "", 'C', Ctrl, L"ab", 'C', false},
      {"AltGr vowel", "", 'A', TShiftState{ssCtrl, ssAlt}, L"ab", 'A', false},
      {"plain key", "", 'A', {}, L"ab", 'A', false},
  };
  for (const TSpecialCase& C : Cases) {
    SCOPED_TRACE(C.What);
    ShortcutManager()->SetText(C.Manager);
    SetText(L"ab");
    Select(1, 1);
    Word Key = C.Key;
    bool Consumed = !C.Consumed;
    FMain->TranslateShortcutKey(Key, C.Shift, Consumed, Host->Edit);
    EXPECT_EQ(Text(), C.After);
    EXPECT_EQ(Key, C.KeyAfter);
    EXPECT_EQ(Consumed, C.Consumed);
  }
}

TEST_F(SpecialKeys, KeypadSequenceTypesThroughTheMainWindow) {
  ShortcutManager()->SetText("$26=281\r\n");
  std::vector<bool> Flags;
  for (int Digit : {2, 6}) {
    Word Key = Num(Digit);
    bool Consumed = true;
    FMain->TranslateShortcutKey(Key, Ctrl, Consumed, Host->Edit);
    Flags.push_back(Consumed);
  }
  EXPECT_EQ(Flags, (std::vector<bool>{false, true}));
  EXPECT_EQ(Text(), L"\u0119");
}

TEST_F(SpecialKeys, WithoutAManagerOnlyTheVowelsAreLeft) {
  FreeShortcutManager();
  Word Key = 'W';
  bool Consumed = true;
  FMain->TranslateShortcutKey(Key, Ctrl, Consumed, Host->Edit);
  EXPECT_FALSE(Consumed);
  Key = 'E';
  FMain->TranslateShortcutKey(Key, Ctrl, Consumed, Host->Edit);
  EXPECT_TRUE(Consumed);
}

TEST_F(SpecialKeys, PutCharIntoEdit) {
  SetText(L"abc");
  Select(3, 3);
  EXPECT_TRUE(TELearnPanel::PutCharIntoEdit(0x0105, Host->Edit));
  EXPECT_EQ(Text(), L"abc\u0105");
  // Such an edit holds only the special character typed.
  Host->Edit->SetWideHint(L"TELearnInputCR");
  EXPECT_TRUE(TELearnPanel::PutCharIntoEdit(0x0119, Host->Edit));
  EXPECT_EQ(Text(), L"\u0119");
  EXPECT_TRUE(TELearnPanel::PutCharIntoEdit(0x0101, Host->Edit)) << "outside the code page";
  EXPECT_EQ(Text(), L"\u0101");
  Host->Edit->SetWideHint(L"");
  Host->Edit->SetReadOnly(true);
  EXPECT_FALSE(TELearnPanel::PutCharIntoEdit(0x0105, Host->Edit)) << "read-only";
  EXPECT_EQ(Text(), L"\u0101");
  // Only edits of the answer kind are served, not memos.
  TVsMemo* Memo = new TVsMemo(Host);
  Memo->SetParent(Host);
  EXPECT_FALSE(TELearnPanel::PutCharIntoEdit(0x0105, Memo));
  EXPECT_EQ(Memo->Text(), L"");
}

// --- real key messages -----------------------------------------------------

void KeyEvent(Word Key, bool Up) {
  INPUT In{};
  In.type = INPUT_KEYBOARD;
  In.ki.wVk = Key;
  In.ki.dwFlags = Up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &In, sizeof(INPUT));
  PumpFor(40);
}

TEST_F(SpecialKeys, RealKeysTypeExactlyOneCharacterEach) {
  FMain->KeyHelpers->SetText("16460=261\r\n8241=322\r\n");
  // The list shipped beside the program: a letter's decimal code on the
  // keypad with Ctrl held.
  CreateShortcutManager(ExtractFilePath(Application->ExeName()) + "Ravelmark.scd");
  ASSERT_GT(ShortcutManager()->Count(), 0) << "Ravelmark.scd beside the program";
  ShortcutManager()->Add("8242=281");
  SetForegroundWindow(Host->Handle());
  Host->Edit->SetFocus();
  PumpFor(50);
  ASSERT_EQ(GetFocus(), Host->Edit->Handle());

  PressKeys({'X'});
  PressKeys({VK_CONTROL, 'L'});  // the user's list
  PressKeys({'Y'});
  KeyEvent(VK_CONTROL, false);
  for (Word Key : {Word(VK_NUMPAD3), Word(VK_NUMPAD2), Word(VK_NUMPAD2)}) {
    KeyEvent(Key, false);
    KeyEvent(Key, true);
  }
  KeyEvent(VK_CONTROL, true);
  // Keys with characters of their own: "!" and "@" must not follow.
  PressKeys({VK_SHIFT, '1'});                  // the user's list
  PressKeys({VK_SHIFT, '2'});                  // the manager
  PressKeys({VK_CONTROL, 'A'});                // a macron; no select-all
  PressKeys({VK_CONTROL, VK_SHIFT, VK_LEFT});  // used up: no word selected
  PressKeys({'Z'});
  EXPECT_EQ(Text(), L"x\u0105y\u0142\u0142\u0119\u0101z");
  EXPECT_EQ(Caret(), 8);
  EXPECT_EQ(Host->Edit->SelLength(), 0);
}

}  // namespace
