#include "ELEngine.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "DIB.h"
#include "ELFramedImage.h"
#include "ELMovie.h"
#include "FileUtils.h"
#include "Forms.h"
#include "Jpeg.h"
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

// ---------------------------------------------------------------------------
// The page panel

namespace {
AnsiString LowerExtension(const AnsiString& FileName) {
  AnsiString Ext = ExtractFileExt(FileName);
  for (char& C : Ext)
    if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
  return Ext;
}

// The graphic class for a picture file's extension (without the dot);
// nullptr for a kind the page does not show.
TOwned<TGraphic> GraphicFor(const AnsiString& Ext) {
  if (Ext == "bmp") return TOwned<TGraphic>(new TBitmap);
  if (Ext == "jpg" || Ext == "jpeg") return TOwned<TGraphic>(new TJPEGImage);
  if (Ext == "ico") return TOwned<TGraphic>(new TIcon);
  if (Ext == "dib") return TOwned<TGraphic>(new TDIB);
  if (Ext == "wmf") return TOwned<TGraphic>(new TMetafile);
  return nullptr;
}

// A file of its own in the temporary folder, removed with the holder.
class TTempFile {
public:
  TTempFile() {
    wchar_t Dir[MAX_PATH];
    wchar_t Name[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, Dir) || !GetTempFileNameW(Dir, L"swf", 0, Name)) RaiseLastOSError();
    FPath = Name;
  }
  ~TTempFile() { DeleteFileW(FPath.c_str()); }
  TTempFile(const TTempFile&) = delete;
  TTempFile& operator=(const TTempFile&) = delete;
  const WideString& Path() const { return FPath; }
  void Write(const void* Data, DWORD Size) {
    HANDLE File = CreateFileW(FPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (File == INVALID_HANDLE_VALUE) RaiseLastOSError();
    DWORD Written = 0;
    const BOOL Done = WriteFile(File, Data, Size, &Written, nullptr);
    const DWORD Error = GetLastError();
    CloseHandle(File);
    if (!Done || Written != Size) {
      SetLastError(Error);
      RaiseLastOSError();
    }
  }

private:
  WideString FPath;
};

WideString HexColor(TColor Color) {
  const Integer C = ColorToRGB(Color);
  wchar_t S[8];
  wsprintfW(S, L"%02X%02X%02X", C & 0xFF, (C >> 8) & 0xFF, (C >> 16) & 0xFF);
  return S;
}
}  // namespace

TELearnPanel::TELearnPanel(TComponent* AOwner) : TBackPanel(AOwner) {
  SetAlpha(150);
  Font()->SetName("Lucida Sans Unicode");
  Canvas()->Font()->SetName("Lucida Sans Unicode");
  SetCaption("");
  SetBevelOuter(bvNone);
}

void TELearnPanel::BeforeDestruction() {
  for (std::vector<TControl*>* Objects : {&FOtherMedia, &FStillObjects})
    for (TControl* Object : *Objects)
      if (auto* Movie = dynamic_cast<TELearnMovie*>(Object); Movie && Movie->IsPlaying()) Movie->Stop();
  FreeMedia();
  TBackPanel::BeforeDestruction();
}

void TELearnPanel::Notification(TComponent* AComponent, TOperation Operation) {
  TBackPanel::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  for (std::vector<TControl*>* Objects : {&FOtherMedia, &FStillObjects})
    std::replace(Objects->begin(), Objects->end(), static_cast<TControl*>(dynamic_cast<TControl*>(AComponent)),
                 static_cast<TControl*>(nullptr));
}

void TELearnPanel::SetAlternativeText(bool Value) {
  if (FAlternativeText == Value) return;
  FAlternativeText = Value;
  if (FLoaded) AlternativeTextChanged();
}

void TELearnPanel::ChildMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) {
  auto* C = static_cast<TControl*>(Sender);
  if (OnMouseMove) OnMouseMove(this, Shift, X + C->Left(), Y + C->Top() - FPageOffset);
}

TControl* TELearnPanel::MakeMedia(const AnsiString& FileName, const TPageNode& Node, bool Still) {
  TControl* Object = nullptr;
  if (LowerExtension(FileName) == ".swf") {
    try {
      auto* Movie = new TELearnMovie(this);
      Movie->SetMovie(AnsiToWide(FileName));
      Object = Movie;
    } catch (const EMovieError&) {
      return nullptr;
    }
  } else {
    auto* Image = new TELearnFramedImage(this);
    Image->SetFileName(FileName);
    if (Still) {
      Image->SetMadeByPage(true);
      try {
        Image->SetNode(Node);
      } catch (...) {
        Image->Free();
        throw;
      }
    }
    Object = Image;
  }
  Object->OnMouseMove = TMouseMoveEvent(this, &TELearnPanel::ChildMouseMove);
  return Object;
}

void TELearnPanel::FetchContent(TControl* Object, const AnsiString& FileName) {
  TMemoryStream Stream;
  if (OnGetStream) OnGetStream(this, FileName, &Stream);
  if (Stream.Size() == 0) return;
  try {
    LoadMedia(Object, FileName, Color(), &Stream);
  } catch (const Exception&) {
    // A broken file shows as an object without content, like a missing one.
  }
}

void TELearnPanel::AddMedia(bool Create, const AnsiString& FileName, const TPageNode& Node, bool IsBackground,
                            TColor FrameColor, bool HasFrame, const AnsiString& Hint, bool Still, bool Transparent,
                            bool, const TRect& R) {
  TControl* Object = nullptr;
  if (Still) {
    Object = MakeMedia(FileName, Node, true);
    FStillObjects.push_back(Object);
  } else {
    FOtherMedia.push_back(nullptr);
    if (!Create) return;
    Object = MakeMedia(FileName, Node, false);
    FOtherMedia.back() = Object;
    if (Object) Object->SetTag(static_cast<int>(FOtherMedia.size()) - 1);
  }
  if (!Object) return;
  // Other framed images get their pictures when the page is shown.
  if (Still || dynamic_cast<TELearnMovie*>(Object)) FetchContent(Object, FileName);
  Object->SetParent(this);
  Object->SetBounds(R.left, R.top, R.right - R.left, R.bottom - R.top);
  if (!Hint.empty()) {
    Object->SetHint(Hint);
    Object->SetShowHint(true);
  }
  if (auto* Image = dynamic_cast<TELearnFramedImage*>(Object)) {
    // Page pictures always fill their rectangles.
    Image->SetStretch(true);
    Image->SetAutoSize(false);
    Image->SetTransparent(Transparent);
    Image->SetHasFrame(HasFrame);
    Image->SetFrameColor(FrameColor);
    if (IsBackground) Image->SetIsBackground(true);
  } else if (auto* Movie = dynamic_cast<TELearnMovie*>(Object)) {
    if (IsBackground) Movie->SetIsBackground(true);
  }
}

void TELearnPanel::LoadMedia(TControl* Object, const AnsiString& FileName, TColor PanelColor, TMemoryStream* Stream) {
  if (auto* Movie = dynamic_cast<TELearnMovie*>(Object)) {
    bool Loaded = false;
    {
      TTempFile File;
      File.Write(Stream->Memory(), static_cast<DWORD>(Stream->Size()));
      for (int Try = 0; Try < 5 && !Loaded; ++Try) {
        if (Try > 0) {
          Sleep(100);
          Application->ProcessMessages();
        }
        Loaded = Movie->LoadMovie(0, File.Path());
      }
    }
    Movie->SetBGColor(HexColor(PanelColor));
    return;
  }
  auto* Image = dynamic_cast<TELearnFramedImage*>(Object);
  if (!Image) return;
  AnsiString Ext = LowerExtension(FileName);
  if (!Ext.empty()) Ext.erase(0, 1);
  TOwned<TGraphic> Graphic = GraphicFor(Ext);
  if (!Graphic) return;
  Stream->SetPosition(0);
  Graphic->LoadFromStream(Stream);
  Image->Picture()->SetGraphic(Graphic.get());
}

void TELearnPanel::ReadStillImages(const TPageNode& Node) {
  const TPageNode Images = Node->Child(L"still_images");
  const int Quantity = NodeInteger(Images->Attribute(L"quantity"), 0);
  for (int I = 0; I < Quantity; ++I) {
    const TPageNode Still = Images->Item(I)->FindChild(L"still_image");
    if (!Still || !NodeBoolean(Still->Attribute(L"show"), true)) continue;
    const int Height = NodeInteger(Still->Attribute(L"height"), 100);
    const int Width = NodeInteger(Still->Attribute(L"width"), 100);
    const int OriginY = NodeInteger(Still->Attribute(L"origin_y"), 0);
    const int OriginX = NodeInteger(Still->Attribute(L"origin_x"), 0);
    const bool Stretch = NodeBoolean(Still->Attribute(L"stretch"), false);
    const bool Transparent = NodeBoolean(Still->Attribute(L"transparent"), false);
    const WideString Hint = NodeString(Still->Attribute(L"hint"), WideString());
    const bool HasFrame = NodeBoolean(Still->Attribute(L"has_frame"), false);
    const int FrameColor = NodeInteger(Still->Attribute(L"frame_color"), 0);
    const bool IsBackground = NodeBoolean(Still->Attribute(L"is_background"), false);
    // "width" and "height" are the right and bottom edges.
    AddMedia(true, WideToAnsi(Still->Text()), Still, IsBackground, FrameColor, HasFrame, WideToAnsi(Hint), true,
             Transparent, Stretch, Rect(OriginX, OriginY, Width, Height));
  }
}

void TELearnPanel::ReadPageSettings(const TPageNode& Node) {
  // Each group is read whole before anything is kept; a group that fails
  // leaves its fields as they were and the next group is read.
  const auto Guarded = [](const auto& Group) {
    try {
      Group();
    } catch (const std::exception&) {
    }
  };
  Guarded([&] {
    const TPageNode Size = Node->Child(L"size");
    const int M = NodeInteger(Size->Attribute(L"margin"), 0);
    const int LR = NodeInteger(Size->Attribute(L"margin_lr"), 0);
    const int TB = NodeInteger(Size->Attribute(L"margin_tb"), 0);
    FMargin = M;
    FMarginLR = FBaseMarginLR = LR;
    FMarginTB = FBaseMarginTB = TB;
  });
  Guarded([&] {
    const TPageNode Global = Node->Child(L"options")->Child(L"global");
    FMultilineInputs = NodeBoolean(Global->Attribute(L"inputs_multiline"), false);
    try {
      FIgnoreEnters = NodeBoolean(Global->Child(L"checking_opt")->Attribute(L"ignore_enters"), false);
    } catch (const std::exception&) {
      FIgnoreEnters = false;
    }
  });
  Guarded([&] { ReadStillImages(Node); });
  FPageSettings = Node;
  Guarded([&] {
    const TPageNode Global = Node->Child(L"options")->Child(L"global");
    try {
      const auto Value = Global->Attribute(L"stop_all_sounds");
      if (!Value) throw EPageNodeError("stop_all_sounds");
      FStopAllSounds = NodeBoolean(Value, false);
    } catch (const std::exception&) {
      const auto All = Global->Child(L"play")->Attribute(L"all");
      if (All) FStopAllSounds = NodeBoolean(All, false);
    }
  });
  Guarded([&] {
    FPauseSounds = NodeBoolean(Node->Child(L"options")->Child(L"global")->Attribute(L"pause_sounds"), FPauseSounds);
  });
  FLoaded = true;
}

void TELearnPanel::Scale(double Factor) {
  FScaleFactor *= Factor;
  FMarginLR = static_cast<int>(Trunc((FBaseMarginLR ? FBaseMarginLR : FMargin) * FScaleFactor));
  FMarginTB = static_cast<int>(Trunc((FBaseMarginTB ? FBaseMarginTB : FMargin) * FScaleFactor));
  FPageScale = FScaleFactor;
  for (TControl* Object : FStillObjects) {
    if (!Object) continue;
    if (auto* Image = dynamic_cast<TELearnFramedImage*>(Object)) {
      Image->SetAutoSize(false);
      Image->SetStretch(true);
    }
    Object->SetBounds(static_cast<int>(Trunc(Object->Left() * Factor)), static_cast<int>(Trunc(Object->Top() * Factor)),
                      static_cast<int>(Trunc(Object->Width() * Factor)),
                      static_cast<int>(Trunc(Object->Height() * Factor)));
  }
}

void TELearnPanel::GetMediaObjects(std::vector<TControl*>& List) {
  List = FOtherMedia;
  for (TControl* Object : FStillObjects)
    if (Object) List.push_back(Object);
}

void TELearnPanel::GetBackgroundObjects(std::vector<TControl*>& List) {
  List.clear();
  const int Count = static_cast<int>(FOtherMedia.size());
  for (int I = std::max(GetFirstMediaIndex(), 0); I <= GetLastMediaIndex() && I < Count; ++I)
    List.push_back(FOtherMedia[static_cast<std::size_t>(I)]);
  for (TControl* Object : FStillObjects)
    if (Object) List.push_back(Object);
}

void TELearnPanel::FreeMedia() {
  for (std::vector<TControl*>* Objects : {&FOtherMedia, &FStillObjects}) {
    std::vector<TControl*> Taken;
    Taken.swap(*Objects);
    for (TControl* Object : Taken) {
      if (!Object) continue;
      Object->SetParent(nullptr);
      Object->Free();
    }
  }
}

void TELearnPanel::ReloadMedia() {
  FReloading = true;
  try {
    for (std::vector<TControl*>* Objects : {&FOtherMedia, &FStillObjects})
      for (TControl* Object : *Objects)
        if (auto* Image = dynamic_cast<TELearnFramedImage*>(Object); Image && !Image->Picture()->Graphic())
          FetchContent(Image, Image->FileName());
  } catch (...) {
    FReloading = false;
    throw;
  }
  FReloading = false;
}

void TELearnPanel::ReleaseMedia() {
  for (std::vector<TControl*>* Objects : {&FOtherMedia, &FStillObjects})
    for (TControl* Object : *Objects) {
      if (auto* Image = dynamic_cast<TELearnFramedImage*>(Object))
        Image->Picture()->SetGraphic(nullptr);
      else if (auto* Movie = dynamic_cast<TELearnMovie*>(Object); Movie && Movie->IsPlaying())
        Movie->Stop();
    }
}

void TELearnPanel::WndProc(TMessage& Message) {
  if (Message.Msg != CM_VISIBLECHANGED || ComponentState().Contains(csDestroying)) {
    TBackPanel::WndProc(Message);
    return;
  }
  if (Message.WParam) {
    ReloadMedia();
    ResetMediaRange();
    TBackPanel::WndProc(Message);
  } else {
    TBackPanel::WndProc(Message);
    PageHidden();
    ReleaseMedia();
  }
}
