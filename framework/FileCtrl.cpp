#include "FileCtrl.h"

#include <algorithm>

#include "Consts.h"
#include "SysUtils.h"
#include "TypInfo.h"

namespace {

// The pictures are drawn in a 16 x 16 box.
constexpr int GlyphSize = 16;
// How far each folder level is indented.
constexpr int IndentStep = 8;

// A full path without a final delimiter (a drive root keeps it); raises
// EInOutError when it is no folder.
AnsiString CheckedFolder(const AnsiString& Value) {
  AnsiString Dir = ExpandFileName(Value);
  if (!Dir.empty() && Dir != ExtractFileDrive(Dir) + "\\") Dir = ExcludeTrailingPathDelimiter(Dir);
  if (Dir.empty() || !DirectoryExists(Dir)) throw EInOutError(FmtLoadStr(SPathNotFound, Value), ERROR_PATH_NOT_FOUND);
  return Dir;
}

bool SameFolder(const AnsiString& A, const AnsiString& B) { return AnsiSameText(A, B); }

// "*" matches any run of characters, "?" any one; both strings are in
// upper case.
bool MatchPattern(const char* Pattern, const char* Name) {
  const char* StarPattern = nullptr;
  const char* StarName = nullptr;
  while (*Name) {
    if (*Pattern == '*') {
      StarPattern = ++Pattern;
      StarName = Name;
    } else if (*Pattern == '?' || *Pattern == *Name) {
      ++Pattern;
      ++Name;
    } else if (StarPattern) {
      Pattern = StarPattern;
      Name = ++StarName;
    } else {
      return false;
    }
  }
  while (*Pattern == '*') ++Pattern;
  return *Pattern == '\0';
}

// Matched against the long name only: the system's own search would also
// let "*.dic" find "words.dicx" through its short 8.3 alias.
bool MatchesMask(const AnsiString& Name, const AnsiString& Masks) {
  if (Trim(Masks).empty()) return true;
  const AnsiString Upper = AnsiUpperCase(Name);
  size_t Start = 0;
  for (;;) {
    const size_t End = Masks.find(';', Start);
    const AnsiString Mask = AnsiUpperCase(Trim(Masks.substr(Start, End == AnsiString::npos ? AnsiString::npos : End - Start)));
    if (Mask == "*.*" || (!Mask.empty() && MatchPattern(Mask.c_str(), Upper.c_str()))) return true;
    if (End == AnsiString::npos) return false;
    Start = End + 1;
  }
}

void SortNames(std::vector<AnsiString>& Names) {
  std::stable_sort(Names.begin(), Names.end(),
                   [](const AnsiString& A, const AnsiString& B) { return AnsiCompareText(A, B) < 0; });
}

void DrawShape(TCanvas* Canvas, int X, int Y, std::initializer_list<POINT> Points, TColor Fill, TColor Line) {
  std::vector<TPoint> P;
  for (const POINT& Pt : Points) P.push_back(Point(X + Pt.x, Y + Pt.y));
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(Fill);
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetWidth(1);
  Canvas->Pen()->SetColor(Line);
  Canvas->Polygon(P);
}

constexpr TColor FolderLine = 0x00206080;
constexpr TColor FolderBack = 0x0030B0E0;
constexpr TColor FolderFront = 0x0060D8FF;

void DrawFolderGlyph(TCanvas* Canvas, int X, int Y, bool Open) {
  if (!Open) {
    DrawShape(Canvas, X, Y, {{1, 3}, {6, 3}, {7, 4}, {14, 4}, {14, 13}, {1, 13}}, FolderFront, FolderLine);
    return;
  }
  DrawShape(Canvas, X, Y, {{1, 3}, {6, 3}, {7, 4}, {13, 4}, {13, 13}, {1, 13}}, FolderBack, FolderLine);
  DrawShape(Canvas, X, Y, {{3, 7}, {15, 7}, {13, 13}, {1, 13}}, FolderFront, FolderLine);
}

void DrawFileGlyph(TCanvas* Canvas, int X, int Y) {
  DrawShape(Canvas, X, Y, {{3, 1}, {10, 1}, {13, 4}, {13, 14}, {3, 14}}, clWhite, clGray);
  Canvas->MoveTo(X + 10, Y + 1);
  Canvas->LineTo(X + 10, Y + 4);
  Canvas->LineTo(X + 14, Y + 4);
}

// A row with a picture: the row filled, the picture at X, the text after
// it, in the colours the list box set for the row.
template <class F> void DrawGlyphRow(TCanvas* Canvas, const TRect& Rect, int X, const AnsiString& Text, F Glyph) {
  const TColor Back = Canvas->Brush()->Color();
  Canvas->FillRect(Rect);
  const int Top = Rect.top + (Rect.bottom - Rect.top - GlyphSize) / 2;
  Glyph(Canvas, X, Top);
  Canvas->Brush()->SetColor(Back);
  const int TextX = X + GlyphSize + 3;
  const int TextY = Rect.top + (Rect.bottom - Rect.top - Canvas->TextHeight("Wg")) / 2;
  Canvas->TextRect(TRect{TextX, Rect.top, Rect.right, Rect.bottom}, TextX, TextY, Text);
}

// The row height for a picture and a line of the control's font.
int GlyphRowHeight(TCustomListBox* List) {
  HDC DC = GetDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, List->Font()->Handle());
  TEXTMETRICA TM{};
  GetTextMetricsA(DC, &TM);
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
  return std::max<int>(GlyphSize + 2, TM.tmHeight + 2);
}

}  // namespace

// ---------------------------------------------------------------------------
// TFileListBox

TFileListBox::TFileListBox(TComponent* AOwner) : TCustomListBox(AOwner), FDirectory(GetCurrentDir()) {}

void TFileListBox::SetDirectory(const AnsiString& Value) {
  if (ChangeFolder(Value)) Change();
}

bool TFileListBox::ChangeFolder(const AnsiString& Value) {
  const AnsiString Dir = CheckedFolder(Value);
  if (FRead && SameFolder(Dir, FDirectory)) return false;
  FDirectory = Dir;
  if (ComponentState().Contains(csLoading)) return false;
  ReadFileNames(false);
  return true;
}

void TFileListBox::SetMask(const AnsiString& Value) {
  if (Value == FMask) return;
  FMask = Value;
  if (!FRead) return;
  ReadFileNames(true);
  Change();
}

void TFileListBox::SetFileType(TFileType Value) {
  if (Value == FFileType) return;
  FFileType = Value;
  if (!FRead) return;
  ReadFileNames(true);
  Change();
}

void TFileListBox::SetShowGlyphs(bool Value) {
  if (Value == FShowGlyphs) return;
  FShowGlyphs = Value;
  UpdateStyle();
}

void TFileListBox::UpdateStyle() {
  SetStyle(FShowGlyphs ? lbOwnerDrawFixed : lbStandard);
  if (FShowGlyphs) SetItemHeight(GlyphRowHeight(this));
  Invalidate();
}

void TFileListBox::ReadFileNames(bool KeepSelection) {
  FRead = true;
  const AnsiString Selected = KeepSelection && ItemIndex() >= 0 ? Items()->Strings(ItemIndex()) : AnsiString();
  Integer Attr = 0;
  if (FFileType.Contains(ftReadOnly)) Attr |= faReadOnly;
  if (FFileType.Contains(ftHidden)) Attr |= faHidden;
  if (FFileType.Contains(ftSystem)) Attr |= faSysFile;
  if (FFileType.Contains(ftVolumeID)) Attr |= faVolumeID;
  if (FFileType.Contains(ftDirectory)) Attr |= faDirectory;
  if (FFileType.Contains(ftArchive)) Attr |= faArchive;
  std::vector<AnsiString> Names;
  TSearchRec F;
  for (int R = FindFirst(IncludeTrailingPathDelimiter(FDirectory) + "*", Attr, F); R == 0; R = FindNext(F)) {
    const bool Folder = (F.Attr & faDirectory) != 0;
    if (Folder && (F.Name == "." || !FFileType.Contains(ftDirectory))) continue;
    if (!Folder && !MatchesMask(F.Name, FMask)) continue;
    // Plain entries need ftNormal; the others one of the attributes asked for.
    if (!FFileType.Contains(ftNormal) && (F.Attr & Attr) == 0) continue;
    Names.push_back(Folder ? "[" + F.Name + "]" : F.Name);
  }
  FindClose(F);
  SortNames(Names);
  TStrings* List = Items();
  List->BeginUpdate();
  try {
    List->Clear();
    for (const AnsiString& Name : Names) List->Add(Name);
  } catch (...) {
    List->EndUpdate();
    throw;
  }
  List->EndUpdate();
  if (!Selected.empty()) SetItemIndex(List->IndexOf(Selected));
}

void TFileListBox::Update() {
  ReadFileNames(true);
  Change();
  TCustomListBox::Update();
}

void TFileListBox::CreateWnd() {
  TCustomListBox::CreateWnd();
  if (!FRead) ReadFileNames(false);
}

void TFileListBox::Loaded() {
  TCustomListBox::Loaded();
  ReadFileNames(false);
  Change();
}

AnsiString TFileListBox::FileName() const {
  const int Index = ItemIndex();
  if (Index < 0) return AnsiString();
  const AnsiString Name = Items()->Strings(Index);
  return IncludeTrailingPathDelimiter(FDirectory) + (IsFolderRow(Name) ? Name.substr(1, Name.size() - 2) : Name);
}

void TFileListBox::SetFileName(const AnsiString& Value) {
  // One change for the whole step, not one for the folder on the way.
  const AnsiString Path = ExtractFilePath(Value);
  if (!Path.empty())
    ChangeFolder(Path);
  else if (!FRead)
    ReadFileNames(false);
  const AnsiString Name = ExtractFileName(Value);
  SetItemIndex(Name.empty() ? -1 : Items()->IndexOf(Name));
  Change();
}

bool TFileListBox::IsFolderRow(const AnsiString& Text) const {
  return FFileType.Contains(ftDirectory) && Text.size() > 2 && Text.front() == '[' && Text.back() == ']';
}

void TFileListBox::WndProc(TMessage& Message) {
  TCustomListBox::WndProc(Message);
  if (Message.Msg == CM_FONTCHANGED && FShowGlyphs) SetItemHeight(GlyphRowHeight(this));
}

void TFileListBox::Click() {
  TCustomListBox::Click();
  Change();
}

void TFileListBox::Change() {
  const AnsiString Now = FileName();
  if (Now == FLastFileName) return;
  FLastFileName = Now;
  if (OnChange) OnChange(this);
}

void TFileListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  if (!FShowGlyphs || OnDrawItem) {
    TCustomListBox::DrawItem(Index, Rect, State);
    return;
  }
  const AnsiString Text = Index < Items()->Count() ? Items()->Strings(Index) : AnsiString();
  const bool Folder = IsFolderRow(Text);
  DrawGlyphRow(Canvas(), Rect, Rect.left + 2, Text, [Folder](TCanvas* C, int X, int Y) {
    if (Folder)
      DrawFolderGlyph(C, X, Y, false);
    else
      DrawFileGlyph(C, X, Y);
  });
}

// ---------------------------------------------------------------------------
// TDirectoryListBox

TDirectoryListBox::TDirectoryListBox(TComponent* AOwner) : TCustomListBox(AOwner), FDirectory(GetCurrentDir()) {
  SetStyle(lbOwnerDrawFixed);
  SetItemHeight(GlyphRowHeight(this));
}

void TDirectoryListBox::SetDirectory(const AnsiString& Value) {
  const AnsiString Dir = CheckedFolder(Value);
  if (FBuilt && SameFolder(Dir, FDirectory)) return;
  FDirectory = Dir;
  if (ComponentState().Contains(csLoading)) return;
  BuildList();
  UpdateLinks();
  Change();
}

void TDirectoryListBox::BuildList() {
  FBuilt = true;
  FEntries.clear();
  // The root, then one open row per folder down to the current one.
  const AnsiString Root = ExtractFileDrive(FDirectory) + "\\";
  FEntries.push_back({Root, 0, true});
  AnsiString Path = ExcludeTrailingPathDelimiter(Root);
  const AnsiString Rest = FDirectory.size() > Root.size() ? FDirectory.substr(Root.size()) : AnsiString();
  size_t Start = 0;
  while (Start < Rest.size()) {
    size_t End = Rest.find('\\', Start);
    if (End == AnsiString::npos) End = Rest.size();
    if (End > Start) {
      Path += "\\" + Rest.substr(Start, End - Start);
      FEntries.push_back({Path, static_cast<int>(FEntries.size()), true});
    }
    Start = End + 1;
  }
  const int Current = static_cast<int>(FEntries.size()) - 1;
  std::vector<AnsiString> Subs;
  TSearchRec F;
  for (int R = FindFirst(IncludeTrailingPathDelimiter(FDirectory) + "*", faDirectory, F); R == 0; R = FindNext(F))
    if ((F.Attr & faDirectory) && F.Name != "." && F.Name != "..") Subs.push_back(F.Name);
  FindClose(F);
  SortNames(Subs);
  for (const AnsiString& Name : Subs)
    FEntries.push_back({IncludeTrailingPathDelimiter(FDirectory) + Name, Current + 1, false});

  TStrings* List = Items();
  List->BeginUpdate();
  try {
    List->Clear();
    for (const TEntry& E : FEntries) List->Add(E.Level == 0 ? E.Path : ExtractFileName(E.Path));
  } catch (...) {
    List->EndUpdate();
    throw;
  }
  List->EndUpdate();
  SetItemIndex(Current);
}

void TDirectoryListBox::UpdateLinks() {
  if (FFileList) FFileList->SetDirectory(FDirectory);
  if (FDirLabel) FDirLabel->SetCaption(FDirectory);
}

void TDirectoryListBox::Change() {
  if (OnChange) OnChange(this);
}

AnsiString TDirectoryListBox::GetItemPath(int Index) {
  if (!FBuilt) BuildList();
  if (Index < 0 || Index >= static_cast<int>(FEntries.size()))
    throw EListError(FmtLoadStr(SListIndexError, Index));
  return FEntries[static_cast<size_t>(Index)].Path;
}

void TDirectoryListBox::OpenCurrent() {
  const int Index = ItemIndex();
  if (Index >= 0) SetDirectory(GetItemPath(Index));
}

void TDirectoryListBox::SetFileList(TFileListBox* Value) {
  if (Value == FFileList) return;
  if (FFileList) FFileList->RemoveFreeNotification(this);
  FFileList = Value;
  if (!FFileList) return;
  FFileList->FreeNotification(this);
  if (!ComponentState().Contains(csLoading)) FFileList->SetDirectory(FDirectory);
}

void TDirectoryListBox::SetDirLabel(TCustomLabel* Value) {
  if (Value == FDirLabel) return;
  if (FDirLabel) FDirLabel->RemoveFreeNotification(this);
  FDirLabel = Value;
  if (!FDirLabel) return;
  FDirLabel->FreeNotification(this);
  if (!ComponentState().Contains(csLoading)) FDirLabel->SetCaption(FDirectory);
}

void TDirectoryListBox::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomListBox::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FFileList) FFileList = nullptr;
  if (AComponent == FDirLabel) FDirLabel = nullptr;
}

void TDirectoryListBox::CreateWnd() {
  TCustomListBox::CreateWnd();
  if (!FBuilt) BuildList();
}

void TDirectoryListBox::Loaded() {
  TCustomListBox::Loaded();
  BuildList();
  UpdateLinks();
}

void TDirectoryListBox::Update() {
  BuildList();
  TCustomListBox::Update();
}

void TDirectoryListBox::DblClick() {
  TCustomListBox::DblClick();
  OpenCurrent();
}

void TDirectoryListBox::KeyDown(Word& Key, TShiftState Shift) {
  TCustomListBox::KeyDown(Key, Shift);
  if (Key == VK_RETURN) {
    OpenCurrent();
    Key = 0;
  }
}

void TDirectoryListBox::KeyPress(char& Key) {
  TCustomListBox::KeyPress(Key);
  if (Key == '\r') Key = '\0';
}

void TDirectoryListBox::WndProc(TMessage& Message) {
  // Enter opens a folder here rather than pressing the form's default
  // button; Esc still goes to the form.
  if (Message.Msg == CM_WANTSPECIALKEY && Message.WParam == VK_RETURN) {
    Message.Result = 1;
    return;
  }
  TCustomListBox::WndProc(Message);
  if (Message.Msg == CM_FONTCHANGED) SetItemHeight(GlyphRowHeight(this));
}

void TDirectoryListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  if (OnDrawItem || Index < 0 || Index >= static_cast<int>(FEntries.size())) {
    TCustomListBox::DrawItem(Index, Rect, State);
    return;
  }
  const TEntry& E = FEntries[static_cast<size_t>(Index)];
  const AnsiString Text = Index < Items()->Count() ? Items()->Strings(Index) : AnsiString();
  const bool Open = E.Open;
  DrawGlyphRow(Canvas(), Rect, Rect.left + 2 + E.Level * IndentStep, Text,
               [Open](TCanvas* C, int X, int Y) { DrawFolderGlyph(C, X, Y, Open); });
}

// ---------------------------------------------------------------------------
// Registration

void InitializeFileCtrl() {
  RegisterClass<TFileListBox, TCustomListBox>()
      .Str("Mask", &TFileListBox::Mask, &TFileListBox::SetMask)
      .Set("FileType", &TFileListBox::FileType, &TFileListBox::SetFileType, TFileType{ftNormal},
           {"ftReadOnly", "ftHidden", "ftSystem", "ftVolumeID", "ftDirectory", "ftArchive", "ftNormal"}, "TFileType")
      .Bool("ShowGlyphs", &TFileListBox::ShowGlyphs, &TFileListBox::SetShowGlyphs, false)
      .Event("OnChange", &TFileListBox::OnChange);
  RegisterClass<TDirectoryListBox, TCustomListBox>()
      .Object("FileList", &TDirectoryListBox::FileList, &TDirectoryListBox::SetFileList)
      .Object("DirLabel", &TDirectoryListBox::DirLabel, &TDirectoryListBox::SetDirLabel)
      .Event("OnChange", &TDirectoryListBox::OnChange);
}
