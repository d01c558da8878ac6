#include "Dialogs.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Consts.h"
#include "FileUtils.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "TypInfo.h"

namespace {

const DWORD OptionFlags[] = {
    OFN_READONLY,          OFN_OVERWRITEPROMPT,     OFN_HIDEREADONLY,       OFN_NOCHANGEDIR,    OFN_SHOWHELP,
    OFN_NOVALIDATE,        OFN_ALLOWMULTISELECT,    OFN_EXTENSIONDIFFERENT, OFN_PATHMUSTEXIST,  OFN_FILEMUSTEXIST,
    OFN_CREATEPROMPT,      OFN_SHAREAWARE,          OFN_NOREADONLYRETURN,   OFN_NOTESTFILECREATE, OFN_NONETWORKBUTTON,
    OFN_NOLONGNAMES,       OFN_NODEREFERENCELINKS,  OFN_ENABLEINCLUDENOTIFY, OFN_ENABLESIZING,  OFN_DONTADDTORECENT,
    OFN_FORCESHOWHIDDEN};
static_assert(sizeof(OptionFlags) / sizeof(OptionFlags[0]) == ofForceShowHidden + 1, "a flag for every option");

DWORD ToFlags(TOpenOptions Options) {
  DWORD Flags = 0;
  for (int I = ofReadOnly; I <= ofForceShowHidden; ++I)
    if (Options.Contains(static_cast<TOpenOption>(I))) Flags |= OptionFlags[I];
  return Flags;
}

// "desc|mask|desc|mask" as the system wants it: each part ended by a zero,
// the whole by another.
AnsiString SystemFilter(const AnsiString& Filter) {
  if (Filter.empty()) return {};
  AnsiString Result = Filter;
  std::replace(Result.begin(), Result.end(), '|', '\0');
  Result += '\0';
  Result += '\0';
  return Result;
}

// The window dialogs belong to: the active form, else the main form, else
// the application's window.
HWND DialogOwner() {
  if (Screen && Screen->ActiveForm() && Screen->ActiveForm()->HandleAllocated()) return Screen->ActiveForm()->Handle();
  if (!Application) return nullptr;
  if (Application->MainForm() && Application->MainForm()->HandleAllocated()) return Application->MainForm()->Handle();
  return Application->Handle();
}

// The average character width and the height of Font in pixels: the units
// the input dialog is laid out in.
TPoint DialogUnits(TFont* Font) {
  static const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  HDC DC = GetDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, Font->Handle());
  SIZE Size{};
  GetTextExtentPoint32A(DC, Alphabet, 52, &Size);
  TEXTMETRICA Metrics{};
  GetTextMetricsA(DC, &Metrics);
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
  return Point((Size.cx / 26 + 1) / 2, Metrics.tmHeight);
}

AnsiString ExecutableTitle() {
  char Path[MAX_PATH] = {};
  const DWORD N = GetModuleFileNameA(nullptr, Path, MAX_PATH);
  return ChangeFileExt(ExtractFileName(AnsiString(Path, N)), "");
}

}  // namespace

// ---------------------------------------------------------------------------
// TOpenDialog

TOpenDialog::TOpenDialog(TComponent* AOwner) : TComponent(AOwner), FFiles(new TStringList()) {}

TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::Execute() {
  const bool Multi = FOptions.Contains(ofAllowMultiSelect);
  const AnsiString Filter = SystemFilter(FFilter);
  AnsiString Ext = FDefaultExt;
  if (!Ext.empty() && Ext[0] == '.') Ext.erase(0, 1);
  // Room for the names chosen, and always for the name given.
  std::vector<char> Buffer(std::max<size_t>(Multi ? 0x10000 : 0x1000, FFileName.size() + 2), '\0');
  std::memcpy(Buffer.data(), FFileName.data(), FFileName.size());

  OPENFILENAMEA Params{};
  Params.lStructSize = sizeof(Params);
  Params.hwndOwner = DialogOwner();
  Params.lpstrFilter = Filter.empty() ? nullptr : Filter.c_str();
  Params.nFilterIndex = static_cast<DWORD>(std::max(FFilterIndex, 0));
  Params.lpstrFile = Buffer.data();
  Params.nMaxFile = static_cast<DWORD>(Buffer.size());
  Params.lpstrInitialDir = FInitialDir.empty() ? nullptr : FInitialDir.c_str();
  Params.lpstrTitle = FTitle.empty() ? nullptr : FTitle.c_str();
  Params.lpstrDefExt = Ext.empty() ? nullptr : Ext.c_str();
  Params.Flags = ToFlags(FOptions) | OFN_EXPLORER;
  if (!RunDialog(Params)) return false;

  FFilterIndex = static_cast<int>(Params.nFilterIndex);
  if (Params.Flags & OFN_READONLY)
    FOptions << ofReadOnly;
  else
    FOptions >> ofReadOnly;
  if (Params.Flags & OFN_EXTENSIONDIFFERENT)
    FOptions << ofExtensionDifferent;
  else
    FOptions >> ofExtensionDifferent;

  // One full name, or (several chosen) the folder and then the names in it,
  // each ended by a zero and the list by another.
  const char* Data = Buffer.data();
  const size_t Size = Buffer.size();
  const size_t FirstLength = strnlen(Data, Size);
  const AnsiString First(Data, FirstLength);
  FFiles->Clear();
  size_t Position = FirstLength + 1;
  if (Multi && Position < Size && Data[Position] != '\0') {
    const AnsiString Folder = IncludeTrailingPathDelimiter(First);
    while (Position < Size && Data[Position] != '\0') {
      const size_t Length = strnlen(Data + Position, Size - Position);
      FFiles->Add(Folder + AnsiString(Data + Position, Length));
      Position += Length + 1;
    }
  } else {
    FFiles->Add(First);
  }
  FFileName = FFiles->Strings(0);
  return true;
}

bool TOpenDialog::RunDialog(OPENFILENAMEA& Params) {
  if (GetOpenFileNameA(&Params)) return true;
  CheckDialogError();
  return false;
}

void TOpenDialog::CheckDialogError() {
  const DWORD Error = CommDlgExtendedError();
  if (Error == 0) return;
  if (Error == FNERR_BUFFERTOOSMALL) throw EInvalidOperation(LoadStr(STooManyFiles));
  if (Error == FNERR_INVALIDFILENAME) throw EInvalidOperation(LoadStr(SInvalidDialogFileName));
  throw EInvalidOperation(FmtLoadStr(SFileDialogError, IntToHex(static_cast<Int64>(Error), 4)));
}

bool TSaveDialog::RunDialog(OPENFILENAMEA& Params) {
  if (GetSaveFileNameA(&Params)) return true;
  CheckDialogError();
  return false;
}

// ---------------------------------------------------------------------------
// Message dialogs

bool InputQuery(const AnsiString& ACaption, const AnsiString& APrompt, AnsiString& Value) {
  TOwned<TForm> Form(new TForm(nullptr));
  Form->AfterConstruction();
  Form->SetBorderStyle(bsDialog);
  Form->SetCaption(ACaption);
  Form->SetPosition(poScreenCenter);
  const TPoint Units = DialogUnits(Form->Font());
  auto DX = [&](int N) { return MulDiv(N, Units.x, 4); };
  auto DY = [&](int N) { return MulDiv(N, Units.y, 8); };

  auto* Prompt = new TLabel(Form.get());
  Prompt->SetParent(Form.get());
  Prompt->SetLeft(DX(8));
  Prompt->SetTop(DY(8));
  Prompt->SetCaption(APrompt);

  auto* Edit = new TEdit(Form.get());
  Edit->SetParent(Form.get());
  Edit->SetBounds(DX(8), Prompt->Top() + Prompt->Height() + DY(4), std::max(DX(164), Prompt->Width()), Edit->Height());
  Edit->SetText(Value);

  const int ClientWidth = Edit->Width() + 2 * DX(8);
  const int ButtonTop = Edit->Top() + Edit->Height() + DY(12);
  const int ButtonWidth = DX(50);
  const int ButtonHeight = DY(14);

  auto* Ok = new TButton(Form.get());
  Ok->SetParent(Form.get());
  Ok->SetCaption(LoadStr(SMsgDlgOK));
  Ok->SetDefault(true);
  Ok->SetModalResult(mrOk);
  Ok->SetBounds(ClientWidth / 2 - DX(2) - ButtonWidth, ButtonTop, ButtonWidth, ButtonHeight);

  auto* Cancel = new TButton(Form.get());
  Cancel->SetParent(Form.get());
  Cancel->SetCaption(LoadStr(SMsgDlgCancel));
  Cancel->SetCancel(true);
  Cancel->SetModalResult(mrCancel);
  Cancel->SetBounds(ClientWidth / 2 + DX(2), ButtonTop, ButtonWidth, ButtonHeight);

  Form->SetClientWidth(ClientWidth);
  Form->SetClientHeight(ButtonTop + ButtonHeight + DY(8));
  Form->SetActiveControl(Edit);
  if (Form->ShowModal() != mrOk) return false;
  Value = Edit->Text();
  return true;
}

AnsiString InputBox(const AnsiString& ACaption, const AnsiString& APrompt, const AnsiString& ADefault) {
  AnsiString Value = ADefault;
  InputQuery(ACaption, APrompt, Value);
  return Value;
}

void ShowMessage(const AnsiString& Msg) {
  if (Application)
    Application->MessageBox(Msg.c_str(), nullptr, MB_OK);
  else
    MessageBoxA(nullptr, Msg.c_str(), ExecutableTitle().c_str(), MB_OK);
}

// ---------------------------------------------------------------------------

void InitializeDialogs() {
  RegisterClass<TOpenDialog, TComponent>()
      .Str("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt)
      .Str("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName, "TFileName")
      .Str("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter)
      .Int("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex, 1)
      .Str("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir)
      .Set("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions, TOpenOptions{ofHideReadOnly, ofEnableSizing},
           {"ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofShowHelp", "ofNoValidate",
            "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist", "ofFileMustExist", "ofCreatePrompt",
            "ofShareAware", "ofNoReadOnlyReturn", "ofNoTestFileCreate", "ofNoNetworkButton", "ofNoLongNames",
            "ofNoDereferenceLinks", "ofEnableIncludeNotify", "ofEnableSizing", "ofDontAddToRecent",
            "ofForceShowHidden"},
           "TOpenOptions")
      .Str("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
  RegisterClass<TSaveDialog, TOpenDialog>();
}
