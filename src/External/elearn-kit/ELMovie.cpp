#include "ELMovie.h"

#include <oleauto.h>

#include <vector>

// {D27CDB6E-AE6D-11CF-96B8-444553540000}
const CLSID CLSID_MoviePlayer = {0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

namespace {
// The host window of the system's ActiveX library, bound at run time (the
// library is not there on every system).
using TAtlAxWinInit = BOOL(WINAPI*)();
using TAtlAxAttachControl = HRESULT(WINAPI*)(IUnknown*, HWND, IUnknown**);

struct THostLibrary {
  HMODULE Module = nullptr;
  TAtlAxAttachControl Attach = nullptr;
  bool Ready = false;
};

THostLibrary& Host() {
  static THostLibrary Library = [] {
    THostLibrary L;
    L.Module = LoadLibraryA("atl.dll");
    if (!L.Module) return L;
    auto Init = reinterpret_cast<TAtlAxWinInit>(reinterpret_cast<void*>(GetProcAddress(L.Module, "AtlAxWinInit")));
    L.Attach = reinterpret_cast<TAtlAxAttachControl>(
        reinterpret_cast<void*>(GetProcAddress(L.Module, "AtlAxAttachControl")));
    L.Ready = Init && L.Attach && Init();
    return L;
  }();
  return Library;
}

void Clear(VARIANT& V) { VariantClear(&V); }
}  // namespace

TELearnMovie::TELearnMovie(TComponent* AOwner) : TWinControl(AOwner) {
  HRESULT Hr = CoCreateInstance(CLSID_MoviePlayer, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&FControl));
  if (SUCCEEDED(Hr) && FControl)
    Hr = FControl->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&FDispatch));
  if (FAILED(Hr) || !FDispatch) {
    if (FControl) FControl->Release();
    FControl = nullptr;
    char Code[16];
    wsprintfA(Code, "%08lX", static_cast<unsigned long>(Hr));
    throw EMovieError(WideToAnsi(L"Brak odtwarzacza filmów (0x") + Code + ")");
  }
  SetBounds(0, 0, 100, 100);
}

TELearnMovie::~TELearnMovie() {
  if (FDispatch) FDispatch->Release();
  if (FControl) FControl->Release();
}

void TELearnMovie::CreateWnd() {
  TWinControl::CreateWnd();
  THostLibrary& L = Host();
  if (!L.Ready) return;
  FHost = CreateWindowExW(0, L"AtlAxWin", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, Width(), Height(),
                          FHandle, nullptr, GetModuleHandleW(nullptr), nullptr);
  // A player the host does not take stays without a window of its own; it
  // is still driven and can still paint itself into a background.
  if (FHost && FAILED(L.Attach(FControl, FHost, nullptr))) {
    DestroyWindow(FHost);
    FHost = nullptr;
  }
}

void TELearnMovie::DestroyWnd() {
  if (FHost) DestroyWindow(FHost);
  FHost = nullptr;
  TWinControl::DestroyWnd();
}

void TELearnMovie::WndProc(TMessage& Message) {
  TWinControl::WndProc(Message);
  if (Message.Msg == WM_SIZE && FHost) MoveWindow(FHost, 0, 0, LOWORD(Message.LParam), HIWORD(Message.LParam), TRUE);
}

bool TELearnMovie::Invoke(const wchar_t* Name, WORD Flags, VARIANT* Args, int ArgCount, VARIANT* Result) {
  DISPID Id = 0;
  LPOLESTR Names[1] = {const_cast<LPOLESTR>(Name)};
  if (FAILED(FDispatch->GetIDsOfNames(IID_NULL, Names, 1, LOCALE_USER_DEFAULT, &Id))) return false;
  DISPPARAMS Params{};
  DISPID Named = DISPID_PROPERTYPUT;
  Params.rgvarg = Args;
  Params.cArgs = static_cast<UINT>(ArgCount);
  if (Flags & DISPATCH_PROPERTYPUT) {
    Params.rgdispidNamedArgs = &Named;
    Params.cNamedArgs = 1;
  }
  return SUCCEEDED(FDispatch->Invoke(Id, IID_NULL, LOCALE_USER_DEFAULT, Flags, &Params, Result, nullptr, nullptr));
}

namespace {
VARIANT TextArg(const WideString& S) {
  VARIANT V;
  VariantInit(&V);
  V.vt = VT_BSTR;
  V.bstrVal = SysAllocStringLen(S.data(), static_cast<UINT>(S.size()));
  return V;
}
}  // namespace

WideString TELearnMovie::Movie() {
  VARIANT R;
  VariantInit(&R);
  WideString Result;
  if (Invoke(L"Movie", DISPATCH_PROPERTYGET, nullptr, 0, &R) && SUCCEEDED(VariantChangeType(&R, &R, 0, VT_BSTR)))
    Result.assign(R.bstrVal, SysStringLen(R.bstrVal));
  Clear(R);
  return Result;
}

void TELearnMovie::SetMovie(const WideString& Value) {
  VARIANT V = TextArg(Value);
  Invoke(L"Movie", DISPATCH_PROPERTYPUT, &V, 1, nullptr);
  Clear(V);
}

bool TELearnMovie::LoadMovie(int Layer, const WideString& Path) {
  // Arguments go in reverse order.
  VARIANT Args[2];
  Args[0] = TextArg(Path);
  VariantInit(&Args[1]);
  Args[1].vt = VT_I4;
  Args[1].lVal = Layer;
  const bool Done = Invoke(L"LoadMovie", DISPATCH_METHOD, Args, 2, nullptr);
  Clear(Args[0]);
  return Done;
}

void TELearnMovie::SetBGColor(const WideString& Value) {
  VARIANT V = TextArg(Value);
  Invoke(L"BGColor", DISPATCH_PROPERTYPUT, &V, 1, nullptr);
  Clear(V);
}

bool TELearnMovie::IsPlaying() {
  VARIANT R;
  VariantInit(&R);
  bool Playing = Invoke(L"IsPlaying", DISPATCH_METHOD, nullptr, 0, &R) &&
                 SUCCEEDED(VariantChangeType(&R, &R, 0, VT_BOOL)) && R.boolVal != VARIANT_FALSE;
  Clear(R);
  return Playing;
}

void TELearnMovie::Stop() { Invoke(L"Stop", DISPATCH_METHOD, nullptr, 0, nullptr); }

void TELearnMovie::PaintTo(TCanvas* Canvas, int X, int Y) {
  IViewObject* View = nullptr;
  if (FAILED(FControl->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&View))) || !View) return;
  const RECTL Bounds{X, Y, X + Width(), Y + Height()};
  View->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, Canvas->Handle(), &Bounds, nullptr, nullptr, 0);
  View->Release();
}
