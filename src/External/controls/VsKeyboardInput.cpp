#include "VsKeyboardInput.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "VsStrUtils.h"
#include "VsTools.h"

namespace {

template <class F> void Bind(F& Target, HMODULE Module, const char* Name) {
  Target = Module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Module, Name))) : nullptr;
}

// The accents of the dead characters, in the order of the letter tables.
enum TAccent { acGrave, acAcute, acCircumflex, acTilde, acDiaeresis, acCaron, acNone };

TAccent AccentOf(unsigned char DeadChar) {
  switch (DeadChar) {
    case 0x60: return acGrave;
    case 0xB4: return acAcute;
    case 0x5E: return acCircumflex;
    case 0x7E: return acTilde;
    case 0xA8: return acDiaeresis;
    case 0xA1: return acCaron;
    default: return acNone;
  }
}

struct TComposed {
  WideChar Letter;
  // Grave, acute, circumflex, tilde, diaeresis, caron; 0 where the
  // letter has no such form.
  WideChar Forms[6];
};

const TComposed Letters[] = {
    {L'A', {0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0}},    {L'E', {0xC8, 0xC9, 0xCA, 0, 0xCB, 0}},
    {L'I', {0xCC, 0xCD, 0xCE, 0, 0xCF, 0}},       {L'O', {0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0}},
    {L'U', {0xD9, 0xDA, 0xDB, 0, 0xDC, 0}},       {L'a', {0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0}},
    {L'e', {0xE8, 0xE9, 0xEA, 0, 0xEB, 0}},       {L'i', {0xEC, 0xED, 0xEE, 0, 0xEF, 0}},
    {L'o', {0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0}},    {L'u', {0xF9, 0xFA, 0xFB, 0, 0xFC, 0}},
    {L'Y', {0, 0xDD, 0, 0, 0, 0}},                {L'y', {0, 0xFD, 0, 0, 0xFF, 0}},
    {L'C', {0, 0, 0, 0, 0, 0x10C}},               {L'c', {0, 0, 0, 0, 0, 0x10D}},
    {L'Z', {0, 0, 0, 0, 0, 0x17D}},               {L'z', {0, 0, 0, 0, 0, 0x17E}},
    {L'L', {0, 0, 0, 0, 0, 0x13D}},               {L'l', {0, 0, 0, 0, 0, 0x13E}},
};

}  // namespace

TVsKeyboardApi VsSystemKeyboardApi() {
  TVsKeyboardApi Api;
  const HMODULE User = GetModuleHandleA("USER32");
  Bind(Api.ToUnicode, User, "ToUnicode");
  Bind(Api.GetKeyboardState, User, "GetKeyboardState");
  HMODULE Imm = GetModuleHandleA("IMM32");
  if (!Imm) Imm = LoadLibraryA("IMM32");
  Bind(Api.ImmGetContext, Imm, "ImmGetContext");
  Bind(Api.ImmReleaseContext, Imm, "ImmReleaseContext");
  Bind(Api.ImmGetCompositionStringW, Imm, "ImmGetCompositionStringW");
  Bind(Api.ImmGetCompositionStringA, Imm, "ImmGetCompositionStringA");
  return Api;
}

TVsKeyboardApi& VsKeyboardApi() {
  static TVsKeyboardApi Api = VsSystemKeyboardApi();
  return Api;
}

WideString AnsiToWideKeyboardCP(const AnsiString& S) {
  if (S.empty()) return WideString();
  UINT CodePage = CP_ACP;
  char Buffer[8] = {};
  const LCID Locale = MAKELCID(LOWORD(reinterpret_cast<UINT_PTR>(GetKeyboardLayout(0))), SORT_DEFAULT);
  if (GetLocaleInfoA(Locale, LOCALE_IDEFAULTANSICODEPAGE, Buffer, sizeof(Buffer)) > 0) {
    const UINT Found = static_cast<UINT>(strtoul(Buffer, nullptr, 10));
    if (Found != 0) CodePage = Found;
  }
  const int Length = static_cast<int>(S.size());
  const int N = MultiByteToWideChar(CodePage, MB_PRECOMPOSED | MB_USEGLYPHCHARS, S.data(), Length, nullptr, 0);
  if (N <= 0) return WideString();
  WideString Result(static_cast<size_t>(N), L'\0');
  MultiByteToWideChar(CodePage, MB_PRECOMPOSED | MB_USEGLYPHCHARS, S.data(), Length, Result.data(), N);
  return Result;
}

WideString ComposeDeadKey(unsigned char DeadChar, WideChar Key) {
  const TAccent Accent = AccentOf(DeadChar);
  if (Accent == acNone) return WideString();
  for (const TComposed& C : Letters)
    if (C.Letter == Key && C.Forms[Accent] != 0) return WideString(1, C.Forms[Accent]);
  // No such letter: the accent as it looks in code page 1250, then the key.
  WideChar Dead = 0;
  const char Byte = static_cast<char>(DeadChar);
  if (MultiByteToWideChar(1250, 0, &Byte, 1, &Dead, 1) != 1) Dead = DeadChar;
  return WideString{Dead, Key};
}

// ---- processor

WideString TVsKeyboardInputProcessor::ApplyCase(const WideString& S) const {
  if (FCaseMode == vsCaseUpper) return VsWideUpperCase(S);
  if (FCaseMode == vsCaseLower) return VsWideLowerCase(S);
  return S;
}

void TVsKeyboardInputProcessor::SetCaseMode(unsigned char Mode) {
  if (Mode == FCaseMode) return;
  FCaseMode = Mode;
  FLastText = ApplyCase(FLastText);
}

void TVsKeyboardInputProcessor::DoText(const WideString& Text) { FLastText = ApplyCase(Text); }

void TVsKeyboardInputProcessor::WMDeadChar(TMessage& Message) {
  FDeadChar = static_cast<unsigned char>(Message.WParam & 0xFF);
}

void TVsKeyboardInputProcessor::WMKeyDown(TMessage& Message) {
  if (!IsWinNT) return;
  const WPARAM Key = Message.WParam;
  if (Key == VK_BACK || Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE) return;
  TVsKeyboardApi& Api = VsKeyboardApi();
  if (!Api.ToUnicode) return;
  BYTE State[256] = {};
  if (Api.GetKeyboardState && !Api.GetKeyboardState(State)) std::fill(std::begin(State), std::end(State), 0);
  if (State[VK_CONTROL] & 0x80) return;
  WCHAR Buffer[5] = {};
  const int N = Api.ToUnicode(static_cast<UINT>(Key), HIWORD(Message.LParam), State, Buffer, 5, 0);
  if (N <= 0) return;
  if (N == 1) {
    if (FDeadChar != 0) {
      const WideString Composed = ComposeDeadKey(FDeadChar, Buffer[0]);
      FDeadChar = 0;
      if (!Composed.empty()) DoText(Composed);
    } else {
      DoText(WideString(1, Buffer[0]));
    }
    return;
  }
  const WideString Text(Buffer, static_cast<size_t>(N > 5 ? 5 : N));
  if (FDeadChar == 0) {
    DoText(Text);
  } else if (FDeadCharCount <= 0) {
    ++FDeadCharCount;
  } else {
    DoText(Text);
    const unsigned char Dead = FDeadChar;
    FDeadChar = 0;
    FDeadCharCount = 0;
    if (FTargetWindow) SendMessageA(FTargetWindow, WM_CHAR, Dead, 0);
  }
}

void TVsKeyboardInputProcessor::WMIMEComposition(TMessage& Message) {
  if (!FTargetWindow || !(Message.LParam & GCS_RESULTSTR)) return;
  TVsKeyboardApi& Api = VsKeyboardApi();
  if (!Api.ImmGetContext) return;
  const HIMC Context = Api.ImmGetContext(FTargetWindow);
  if (!Context) return;
  WideString Text;
  if (IsWinNT) {
    if (Api.ImmGetCompositionStringW) {
      const LONG Bytes = Api.ImmGetCompositionStringW(Context, GCS_RESULTSTR, nullptr, 0);
      if (Bytes > 0) {
        std::vector<WCHAR> Buffer(static_cast<size_t>(Bytes) / sizeof(WCHAR) + 1, 0);
        Api.ImmGetCompositionStringW(Context, GCS_RESULTSTR, Buffer.data(), static_cast<DWORD>(Bytes));
        Text = Buffer.data();
      }
    }
  } else if (Api.ImmGetCompositionStringA) {
    const LONG Bytes = Api.ImmGetCompositionStringA(Context, GCS_RESULTSTR, nullptr, 0);
    if (Bytes > 0) {
      std::vector<char> Buffer(static_cast<size_t>(Bytes) + 1, 0);
      Api.ImmGetCompositionStringA(Context, GCS_RESULTSTR, Buffer.data(), static_cast<DWORD>(Bytes));
      Text = AnsiToWideKeyboardCP(AnsiString(Buffer.data()));
    }
  }
  if (Api.ImmReleaseContext) Api.ImmReleaseContext(FTargetWindow, Context);
  if (!Text.empty()) DoText(Text);
}

void TVsKeyboardInputProcessor::WMChar(TMessage& Message) {
  if (IsWinNT) return;
  const unsigned char C = static_cast<unsigned char>(Message.WParam & 0xFF);
  if (C == 0 || C == 8 || C == 9 || C == 13 || C == 27 || C == 127) return;
  DoText(AnsiToWide(AnsiString(1, static_cast<char>(C))));
}

// ---- accumulated input

void TVsKeyboardInput::SetCaseMode(unsigned char Mode) {
  if (Mode == FCaseMode) return;
  TVsKeyboardInputProcessor::SetCaseMode(Mode);
  FText = ApplyCase(FText);
}

void TVsKeyboardInput::DoText(const WideString& Text) {
  TVsKeyboardInputProcessor::DoText(Text);
  FText += FLastText;
}

void TVsKeyboardInput::WMKeyDown(TMessage& Message) {
  TVsKeyboardInputProcessor::WMKeyDown(Message);
  if (Message.WParam == VK_BACK && !FText.empty()) FText.pop_back();
}

// ---- timeout thread

TSearchTextTimeoutThread::TSearchTextTimeoutThread(TNotifyEvent OnTimeout) : TThread(true) {
  OnTerminate = OnTimeout;
  SetFreeOnTerminate(true);
}

void TSearchTextTimeoutThread::SetKeepAlive(bool Value) {
  TCriticalSectionGuard Guard(FSection);
  FKeepAlive = Value;
}

void TSearchTextTimeoutThread::Execute() {
  while (!Terminated()) {
    Sleep(static_cast<DWORD>(FTimeout.load() > 0 ? FTimeout.load() : 0));
    TCriticalSectionGuard Guard(FSection);
    if (!FKeepAlive) break;
    FKeepAlive = false;
  }
}
