#include "ELEngine.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "FileUtils.h"
#include "SysUtils.h"
#include "Win.h"

namespace {

std::unique_ptr<TShortcutManager> GShortcutManager;

bool IsOnly(TShiftState Shift, TShiftState Wanted) {
  return Shift * TShiftState{ssShift, ssAlt, ssCtrl} == Wanted;
}

// The themed edit fires no OnChange for text set by code.
void NotifyChange(TCustomVsEdit* Edit) {
  if (Edit->OnChange) Edit->OnChange(Edit);
}

const char Vowels[5] = {'a', 'e', 'i', 'o', 'u'};
const WideChar SmallMacrons[5] = {0x0101, 0x0113, 0x012B, 0x014D, 0x016B};
const WideChar CapitalMacrons[5] = {0x0100, 0x0112, 0x012A, 0x014C, 0x016A};

}  // namespace

Word ShiftStateToShortcutBits(TShiftState Shift) {
  Word Bits = 0;
  if (Shift.Contains(ssShift)) Bits += 0x2000;
  if (Shift.Contains(ssAlt)) Bits += 0x8000;
  if (Shift.Contains(ssCtrl)) Bits += 0x4000;
  return Bits;
}

WideChar MacronVowel(Word Key, TShiftState Shift) {
  const bool Small = IsOnly(Shift, {ssCtrl});
  if (!Small && !IsOnly(Shift, {ssShift, ssCtrl})) return 0;
  // The whole result counts: a vowel that needs Shift or AltGr on the
  // layout has those in the high byte and never matches.
  for (int I = 0; I < 5; ++I)
    if (Key == static_cast<Word>(VkKeyScanA(Vowels[I]))) return Small ? SmallMacrons[I] : CapitalMacrons[I];
  return 0;
}

bool ShortcutCharacter(Integer Value, WideChar& Ch) {
  const auto Code = static_cast<WideChar>(static_cast<std::uint32_t>(Value) & 0xFFFF);
  if (Code == 0 || (Code >= 0xD800 && Code <= 0xDFFF)) return false;
  Ch = Code;
  return true;
}

bool InsertCharAtCaret(WideChar Ch, TCustomVsEdit* Edit) {
  WideString Text = Edit->Text();
  const bool Full = Edit->MaxLength() > 0 && static_cast<int>(Text.size()) >= Edit->MaxLength();
  if (Edit->ReadOnly() || Full) return false;
  // SelStart is the caret's own index, whichever end of a selection it is.
  const int Caret = std::min(Edit->SelStart(), static_cast<int>(Text.size()));
  Text.insert(static_cast<size_t>(Caret), 1, Ch);
  Edit->SetText(Text);
  Edit->SetSelStart(Caret + 1);
  Edit->SetSelLength(0);
  NotifyChange(Edit);
  return true;
}

// ---------------------------------------------------------------------------
// TShortcutManager

bool TShortcutManager::LookUp(const AnsiString& Name, Word& Key) const {
  const int Index = IndexOfName(Name);
  if (Index < 0) return false;
  Integer Value = 0;
  WideChar Ch = 0;
  if (!TryStrToInt(ValueFromIndex(Index), Value) || !ShortcutCharacter(Value, Ch)) return false;
  Key = Ch;
  return true;
}

bool TShortcutManager::TranslateKey(TShiftState Shift, Word& Key) {
  const auto Code = static_cast<Word>(Key + ShiftStateToShortcutBits(Shift));
  return LookUp(IntToStr(Code), Key);
}

bool TShortcutManager::TranslateKeypadSequence(TShiftState Shift, Word& Key) {
  if (!IsOnly(Shift, {ssCtrl}) || !AppendKeypadDigit(Key)) ResetKeypadSequence();
  if (FKeypadSequence.empty()) return false;
  if (!LookUp("$" + FKeypadSequence, Key)) return false;
  ResetKeypadSequence();
  return true;
}

bool TShortcutManager::AppendKeypadDigit(Word Key) {
  if (Key < VK_NUMPAD0 || Key > VK_NUMPAD9) {
    ResetKeypadSequence();
    return false;
  }
  FKeypadSequence += static_cast<char>('0' + (Key - VK_NUMPAD0));
  if (FKeypadSequence.size() > 4) ResetKeypadSequence();
  return true;
}

TShortcutManager* ShortcutManager() { return GShortcutManager.get(); }

void CreateShortcutManager(const AnsiString& ListFile) {
  auto Manager = std::make_unique<TShortcutManager>();
  if (FileExists(ListFile)) Manager->LoadFromFile(ListFile);
  GShortcutManager = std::move(Manager);
}

void FreeShortcutManager() { GShortcutManager.reset(); }

// ---------------------------------------------------------------------------
// TELearnPanel

void TELearnPanel::TranslateSpecialKey(TCustomVsEdit* Edit, Word& Key, TShiftState Shift) {
  if (TShortcutManager* Manager = ShortcutManager()) {
    Word Translated = Key;
    if (Manager->TranslateKey(Shift, Translated) || Manager->TranslateKeypadSequence(Shift, Translated)) {
      PutCharIntoEdit(static_cast<WideChar>(Translated), Edit);
      Key = 0;
      return;
    }
  }
  const WideChar Vowel = MacronVowel(Key, Shift);
  if (Vowel) {
    PutCharIntoEdit(Vowel, Edit);
    // Left to the edit, Ctrl+A would select the whole answer next.
    Key = 0;
  } else if (IsOnly(Shift, {ssShift, ssCtrl})) {
    // Every Ctrl+Shift key belongs to the special characters here.
    Key = 0;
  }
}

bool TELearnPanel::PutCharIntoEdit(WideChar Ch, TCustomVsEdit* Edit) {
  if (!dynamic_cast<TVsEdit*>(Edit)) return false;
  if (Edit->WideHint() != L"TELearnInputCR") return InsertCharAtCaret(Ch, Edit);
  if (Edit->ReadOnly()) return false;
  Edit->SetText(WideString(1, Ch));
  NotifyChange(Edit);
  return true;
}
