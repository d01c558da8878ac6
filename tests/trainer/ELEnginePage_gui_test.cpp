// The page panel: page settings read group by group from trees in memory
// and from the platform's XML document, media made by extension and loaded
// through the stream event, showing and hiding, scaling, the media lists,
// and the movie path through a stand-in player registered for the player's
// class.
#include "TrainerTestSupport.h"
#include <gtest/gtest.h>

#include <objbase.h>
#include <ole2.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "DIB.h"
#include "ELEngine.h"
#include "ELFramedImage.h"
#include "ELMovie.h"
#include "FileUtils.h"
#include "Jpeg.h"
#include "PageNode.h"

namespace {

class TPageEnvironment : public TTrainerEnvironment {
public:
  void SetUp() override {
    CoInitialize(nullptr);
    TTrainerEnvironment::SetUp();
  }
  void TearDown() override {
    TTrainerEnvironment::TearDown();
    CoUninitialize();
  }
};

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TPageEnvironment);

using Bytes = std::vector<Byte>;
using TNode = std::shared_ptr<TMemoryPageNode>;

Bytes FileBytes(const std::string& Path) {
  TMemoryStream S;
  S.LoadFromFile(Path);
  const Byte* P = static_cast<const Byte*>(S.Memory());
  return Bytes(P, P + S.Size());
}

Bytes Fixture(const char* Name) { return FileBytes(std::string(FIXTURES_DIR "/graphics/") + Name); }

Bytes MetafileBytes() {
  HDC DC = CreateMetaFileA(nullptr);
  SetWindowExtEx(DC, 20, 20, nullptr);
  Rectangle(DC, 0, 0, 20, 20);
  HMETAFILE Meta = CloseMetaFile(DC);
  Bytes B(GetMetaFileBitsEx(Meta, 0, nullptr));
  GetMetaFileBitsEx(Meta, static_cast<UINT>(B.size()), B.data());
  DeleteMetaFile(Meta);
  return B;
}

// A page as the exercise pages make it: nothing of its own.
class TTestPage : public TELearnPanel {
public:
  using TELearnPanel::LoadMedia;
  using TELearnPanel::TELearnPanel;
  int Hidden = 0;
  int AlternativeTextChanges = 0;

protected:
  void PageHidden() override { ++Hidden; }
  void AlternativeTextChanged() override { ++AlternativeTextChanges; }
  void PageOperation1() override {}
  void PageOperation2() override {}
  void PageOperation3() override {}
  void PageOperation4() override {}
  void PageOperation5() override {}
};

// The files the page asks for, and how often it asked.
class TFiles : public TObject {
public:
  std::map<AnsiString, Bytes> Contents;
  std::vector<AnsiString> Asked;
  void GetStream(TObject*, const AnsiString& Name, TMemoryStream* Stream) {
    Asked.push_back(Name);
    const auto It = Contents.find(Name);
    if (It != Contents.end() && !It->second.empty())
      Stream->WriteBuffer(It->second.data(), static_cast<int>(It->second.size()));
  }
};

// A still picture entry: <item><still_image ...>File</still_image></item>.
TNode AddStill(const TNode& Images, const WideString& File, std::map<WideString, WideString> Attributes = {}) {
  TNode Still = Images->Add(L"item")->Add(L"still_image", File);
  for (const auto& [Name, Value] : Attributes) Still->Set(Name, Value);
  return Still;
}

TNode StillImages(const TNode& Page, const WideString& Quantity) {
  TNode Images = Page->Add(L"still_images");
  Images->Set(L"quantity", Quantity);
  return Images;
}

TRect BoundsOf(TControl* C) { return C->BoundsRect(); }

std::string Str(const TRect& R) {
  char S[64];
  snprintf(S, sizeof S, "(%ld,%ld,%ld,%ld)", R.left, R.top, R.right, R.bottom);
  return S;
}

// The margins, then the flags for multiline inputs, ignored Enters,
// stopping all sounds and pausing sounds.
std::string Settings(TTestPage* Page) {
  return "m" + std::to_string(Page->Margin()) + "," + std::to_string(Page->MarginLR()) + "," +
         std::to_string(Page->MarginTB()) + " f" + std::to_string(Page->MultilineInputs()) +
         std::to_string(Page->IgnoreEnters()) + std::to_string(Page->StopAllSounds()) +
         std::to_string(Page->PauseSounds());
}

class PagePanelTest : public ::testing::Test {
protected:
  void SetUp() override {
    Page = new TTestPage(Application);
    Page->OnGetStream = TGetStream(&Files, &TFiles::GetStream);
    Files.Contents["a.bmp"] = Fixture("gray24.bmp");
    Files.Contents["b.bmp"] = Fixture("quad24.bmp");
  }
  void TearDown() override {
    if (Page) Page->Free();
    if (Host) Host->Free();
  }
  TELearnFramedImage* Still(int I) {
    return dynamic_cast<TELearnFramedImage*>(Page->StillObjects().at(static_cast<std::size_t>(I)));
  }

  TFiles Files;
  TTestPage* Page = nullptr;
  TForm* Host = nullptr;
};

TEST_F(PagePanelTest, ReadsEachGroupWithItsDefaults) {
  TNode Root = std::make_shared<TMemoryPageNode>(L"page");
  Root->Add(L"size")->Set(L"margin", L"5")->Set(L"margin_lr", L"8");
  TNode Global = Root->Add(L"options")->Add(L"global");
  Global->Set(L"inputs_multiline", L"TRUE")->Set(L"pause_sounds", L"1");
  Global->Add(L"checking_opt")->Set(L"ignore_enters", L"-1");
  // No stop_all_sounds: the play node's "all" stands in.
  Global->Add(L"play")->Set(L"all", L"true");
  TNode Images = StillImages(Root, L"5");
  AddStill(Images, L"a.bmp",
           {{L"origin_x", L"10"}, {L"origin_y", L"20"}, {L"width", L"110"}, {L"height", L"70"},
            {L"hint", L"Podpowied\x017A"}, {L"has_frame", L"true"}, {L"frame_color", L"255"},
            {L"is_background", L"True"}, {L"transparent", L"1"}});
  AddStill(Images, L"hidden.bmp", {{L"show", L"false"}});
  AddStill(Images, L"b.bmp");
  Images->Add(L"item")->Add(L"something_else");
  AddStill(Images, L"c.txt", {{L"show", L"1"}});
  Page->ReadPageSettings(Root);

  EXPECT_EQ(Settings(Page), "m5,8,0 f1111");
  EXPECT_EQ(Page->PageSettings(), Root);
  ASSERT_EQ(Page->StillObjects().size(), 3u);
  EXPECT_EQ(Files.Asked, (std::vector<AnsiString>{"a.bmp", "b.bmp", "c.txt"}));

  // "width" and "height" are the right and bottom edges.
  TELearnFramedImage* First = Still(0);
  ASSERT_NE(First, nullptr);
  EXPECT_EQ(Str(BoundsOf(First)), Str(Bounds(10, 20, 100, 50)));
  EXPECT_EQ(First->Hint(), WideToAnsi(L"Podpowied\x017A"));
  EXPECT_TRUE(First->ShowHint());
  EXPECT_TRUE(First->HasFrame());
  EXPECT_EQ(First->FrameColor(), 255);
  EXPECT_TRUE(First->IsBackground());
  EXPECT_TRUE(First->Transparent());
  EXPECT_TRUE(First->Stretch());
  EXPECT_TRUE(First->MadeByPage());
  EXPECT_EQ(First->OriginX(), 10);
  EXPECT_EQ(First->OriginY(), 20);
  EXPECT_EQ(First->FileName(), "a.bmp");
  EXPECT_EQ(First->Parent(), Page);
  ASSERT_NE(First->Picture()->Graphic(), nullptr);
  EXPECT_EQ(First->Picture()->Graphic()->ClassName(), "TBitmap");

  // The defaults: 100 x 100 at (0, 0), no frame, not a background.
  TELearnFramedImage* Second = Still(1);
  EXPECT_EQ(Str(BoundsOf(Second)), Str(Rect(0, 0, 100, 100)));
  EXPECT_FALSE(Second->HasFrame());
  EXPECT_FALSE(Second->IsBackground());
  EXPECT_FALSE(Second->ShowHint());
  EXPECT_EQ(Second->FileName(), "b.bmp");
  EXPECT_EQ(Still(2)->Picture()->Graphic(), nullptr);
}

TEST_F(PagePanelTest, AGroupWithABadValueIsLeftOutAndTheOthersAreRead) {
  TNode Good = std::make_shared<TMemoryPageNode>(L"page");
  Good->Add(L"size")->Set(L"margin", L"3")->Set(L"margin_lr", L"4")->Set(L"margin_tb", L"5");
  Page->ReadPageSettings(Good);

  TNode Bad = std::make_shared<TMemoryPageNode>(L"page");
  Bad->Add(L"size")->Set(L"margin", L"9")->Set(L"margin_lr", L"x");
  TNode Global = Bad->Add(L"options")->Add(L"global");
  Global->Set(L"inputs_multiline", L"true")->Set(L"stop_all_sounds", L"false")->Set(L"pause_sounds", L"maybe");
  Global->Add(L"checking_opt")->Set(L"ignore_enters", L"tak");
  Global->Add(L"play")->Set(L"all", L"true");
  TNode Images = StillImages(Bad, L"3");
  AddStill(Images, L"a.bmp");
  AddStill(Images, L"b.bmp", {{L"width", L"abc"}});
  AddStill(Images, L"a.bmp");
  Page->ReadPageSettings(Bad);

  // The whole size group stays as it was; a bad ignore_enters counts as
  // false and the rest of its group is read; stop_all_sounds is there, so
  // the play node is not asked; pause_sounds stays.
  EXPECT_EQ(Settings(Page), "m3,4,5 f1000");
  // The picture made before the bad entry stays; none after it is made.
  EXPECT_EQ(Page->StillObjects().size(), 1u);
  EXPECT_EQ(Page->PageSettings(), Bad);

  // A quantity beyond the items ends the group at the first missing one.
  TNode Short = std::make_shared<TMemoryPageNode>(L"page");
  AddStill(StillImages(Short, L"2147483647"), L"b.bmp");
  Page->ReadPageSettings(Short);
  EXPECT_EQ(Page->StillObjects().size(), 2u);
}

TEST_F(PagePanelTest, MediaAreMadeAndLoadedByExtension) {
  Files.Contents["A.JPG"] = Fixture("gray.jpg");
  Files.Contents["b.jpeg"] = Fixture("quad.jpg");
  Files.Contents["c.ico"] = Fixture("icon.ico");
  Files.Contents["d.Dib"] = Fixture("pal8.bmp");
  Files.Contents["e.wmf"] = MetafileBytes();
  Files.Contents["f.txt"] = {'t', 'e', 'k', 's', 't'};
  Files.Contents["g.jpg"] = {0xFF, 0xD8, 0xFF, 0x00, 0x01};
  Files.Contents["h.swf"] = {'F', 'W', 'S', 9};
  struct TCase {
    const char* File;
    const char* Graphic;  // nullptr: a framed image without a picture
  };
  const TCase Cases[] = {{"A.JPG", "TJPEGImage"}, {"b.jpeg", "TJPEGImage"}, {"c.ico", "TIcon"},
                         {"d.Dib", "TDIB"},       {"e.wmf", "TMetafile"},   {"a.bmp", "TBitmap"},
                         {"f.txt", nullptr},      {"g.jpg", nullptr},       {"missing.bmp", nullptr}};
  for (const TCase& C : Cases)
    Page->AddMedia(true, C.File, nullptr, false, 0, false, "", true, false, false, Rect(0, 0, 50, 50));
  // The player is not installed: the movie is an empty entry and the
  // pictures after it are made all the same.
  Page->AddMedia(true, "h.swf", nullptr, false, 0, false, "", true, false, false, Rect(0, 0, 50, 50));
  Page->AddMedia(true, "a.bmp", nullptr, false, 0, false, "", true, false, false, Rect(0, 0, 50, 50));
  ASSERT_EQ(Page->StillObjects().size(), std::size(Cases) + 2);
  for (std::size_t I = 0; I < std::size(Cases); ++I) {
    SCOPED_TRACE(Cases[I].File);
    TELearnFramedImage* Image = Still(static_cast<int>(I));
    ASSERT_NE(Image, nullptr);
    TGraphic* G = Image->Picture()->Graphic();
    if (Cases[I].Graphic) {
      ASSERT_NE(G, nullptr);
      EXPECT_EQ(G->ClassName(), Cases[I].Graphic);
      EXPECT_FALSE(G->Empty());
    } else {
      EXPECT_EQ(G, nullptr);
    }
  }
  EXPECT_EQ(Page->StillObjects()[std::size(Cases)], nullptr);
  EXPECT_NE(Still(static_cast<int>(std::size(Cases)) + 1)->Picture()->Graphic(), nullptr);
}

TEST_F(PagePanelTest, ScalingTwiceThereAndBackRestoresThePage) {
  TNode Root = std::make_shared<TMemoryPageNode>(L"page");
  Root->Add(L"size")->Set(L"margin", L"10")->Set(L"margin_tb", L"6");
  AddStill(StillImages(Root, L"1"), L"a.bmp",
           {{L"origin_x", L"10"}, {L"origin_y", L"20"}, {L"width", L"110"}, {L"height", L"70"}});
  Page->ReadPageSettings(Root);
  Still(0)->SetStretch(false);
  Page->Scale(2);
  EXPECT_EQ(Page->MarginLR(), 20);
  EXPECT_EQ(Page->MarginTB(), 12);
  EXPECT_EQ(Str(BoundsOf(Still(0))), Str(Rect(20, 40, 220, 140)));
  EXPECT_TRUE(Still(0)->Stretch());
  Page->Scale(0.5);
  EXPECT_DOUBLE_EQ(Page->ScaleFactor(), 1.0);
  EXPECT_DOUBLE_EQ(Page->PageScale(), 1.0);
  EXPECT_EQ(Page->MarginLR(), 10);
  EXPECT_EQ(Page->MarginTB(), 6);
  EXPECT_EQ(Str(BoundsOf(Still(0))), Str(Rect(10, 20, 110, 70)));
  // Scaling by 2 twice is 4 times, not 8.
  Page->Scale(2);
  Page->Scale(2);
  EXPECT_EQ(Page->MarginLR(), 40);
  EXPECT_EQ(Page->MarginTB(), 24);
  EXPECT_EQ(Page->Margin(), 10);
}

TEST_F(PagePanelTest, HidingReleasesThePicturesAndShowingAsksForThemAgain) {
  Host = new TForm(Application);
  Host->SetBounds(50, 50, 300, 200);
  Page->SetParent(Host);
  Page->SetBounds(0, 0, 280, 180);
  TNode Root = std::make_shared<TMemoryPageNode>(L"page");
  TNode Images = StillImages(Root, L"2");
  AddStill(Images, L"a.bmp");
  AddStill(Images, L"b.bmp");
  Page->ReadPageSettings(Root);
  // Other media get their pictures only when the page shows.
  Page->AddMedia(true, "b.bmp", nullptr, false, 0, false, "", false, false, false, Rect(0, 0, 10, 10));
  EXPECT_EQ(Files.Asked.size(), 2u);
  Host->Show();
  PumpFor(50);

  Page->SetVisible(false);
  EXPECT_EQ(Page->Hidden, 1);
  std::vector<TControl*> Media;
  Page->GetMediaObjects(Media);
  ASSERT_EQ(Media.size(), 3u);
  for (TControl* C : Media) EXPECT_EQ(static_cast<TELearnFramedImage*>(C)->Picture()->Graphic(), nullptr);

  Files.Asked.clear();
  Page->SetVisible(true);
  PumpFor(50);
  EXPECT_EQ(Files.Asked, (std::vector<AnsiString>{"b.bmp", "a.bmp", "b.bmp"}));
  for (TControl* C : Media) EXPECT_NE(static_cast<TELearnFramedImage*>(C)->Picture()->Graphic(), nullptr);
  EXPECT_FALSE(Page->Reloading());
}

TEST_F(PagePanelTest, MediaListsAndTheirOrder) {
  Page->AddMedia(false, "a.bmp", nullptr, false, 0, false, "", false, false, false, Rect(0, 0, 10, 10));
  Page->AddMedia(true, "b.bmp", nullptr, true, 0, false, "", false, false, false, Rect(0, 0, 10, 10));
  Page->AddMedia(true, "a.bmp", nullptr, false, 0, false, "", true, false, false, Rect(0, 0, 10, 10));
  Page->AddMedia(true, "h.swf", nullptr, false, 0, false, "", true, false, false, Rect(0, 0, 10, 10));
  ASSERT_EQ(Page->OtherMedia().size(), 2u);
  EXPECT_EQ(Page->OtherMedia()[0], nullptr);
  TControl* Other = Page->OtherMedia()[1];
  EXPECT_EQ(Other->Tag(), 1);
  EXPECT_FALSE(static_cast<TELearnFramedImage*>(Other)->MadeByPage());
  TControl* StillOne = Page->StillObjects()[0];
  std::vector<TControl*> List;
  Page->GetMediaObjects(List);
  EXPECT_EQ(List, (std::vector<TControl*>{nullptr, Other, StillOne}));
  // The background objects are the media range (0 to 0 here) and the
  // stills: the background image at 1 is out of the range.
  Page->ComposeBackground(false);
  EXPECT_FALSE(Page->HasBackgroundObjects());
  Page->FreeMedia();
  EXPECT_TRUE(Page->StillObjects().empty());
  EXPECT_TRUE(Page->OtherMedia().empty());
  EXPECT_EQ(Page->ControlCount(), 0);
}

TEST_F(PagePanelTest, AlternativeTextIsKeptAndALoadedPageIsTold) {
  Page->SetAlternativeText(true);
  EXPECT_TRUE(Page->AlternativeText());
  EXPECT_EQ(Page->AlternativeTextChanges, 0);
  Page->ReadPageSettings(std::make_shared<TMemoryPageNode>(L"page"));
  Page->SetAlternativeText(false);
  Page->SetAlternativeText(false);
  EXPECT_FALSE(Page->AlternativeText());
  EXPECT_EQ(Page->AlternativeTextChanges, 1);
  EXPECT_EQ(Page->Alpha(), 150);
  EXPECT_EQ(Page->Font()->Name(), "Lucida Sans Unicode");
  EXPECT_EQ(Page->Caption(), "");
}

TEST_F(PagePanelTest, ChildMouseMovesReachThePanelInItsCoordinates) {
  Page->AddMedia(true, "a.bmp", nullptr, false, 0, false, "", true, false, false, Rect(30, 40, 60, 60));
  struct TSeen : TObject {
    int X = -1, Y = -1;
    TObject* Sender = nullptr;
    void Move(TObject* S, TShiftState, int AX, int AY) {
      Sender = S;
      X = AX;
      Y = AY;
    }
  } Seen;
  Page->OnMouseMove = TMouseMoveEvent(&Seen, &TSeen::Move);
  TControl* Image = Page->StillObjects()[0];
  Image->OnMouseMove(Image, TShiftState{}, 5, 6);
  EXPECT_EQ(Seen.Sender, Page);
  EXPECT_EQ(Seen.X, 35);
  EXPECT_EQ(Seen.Y, 46);
}

// ---------------------------------------------------------------------------
// The movie path, through a stand-in for the player

class TFakePlayer : public IDispatch, public IOleObject {
public:
  struct TCall {
    std::wstring Name;
    std::wstring Text;
    int Layer = -1;
    bool FileThere = false;
    Bytes File;
  };
  static inline std::vector<TCall> Calls;
  static inline int Failures = 0;
  static inline int Made = 0;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Out) override {
    if (IsEqualIID(Iid, IID_IUnknown) || IsEqualIID(Iid, IID_IDispatch))
      *Out = static_cast<IDispatch*>(this);
    else if (IsEqualIID(Iid, IID_IOleObject))
      *Out = static_cast<IOleObject*>(this);
    else {
      *Out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefs; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG N = --FRefs;
    if (N == 0) delete this;
    return N;
  }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* Count) override {
    *Count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* Names, UINT Count, LCID, DISPID* Ids) override {
    static const wchar_t* const Known[] = {L"LoadMovie", L"Movie", L"BGColor", L"IsPlaying", L"Stop"};
    for (UINT I = 0; I < Count; ++I) {
      Ids[I] = DISPID_UNKNOWN;
      for (int K = 0; K < 5; ++K)
        if (lstrcmpiW(Names[I], Known[K]) == 0) Ids[I] = K + 1;
      if (Ids[I] == DISPID_UNKNOWN) return DISP_E_UNKNOWNNAME;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID Id, REFIID, LCID, WORD Flags, DISPPARAMS* Params, VARIANT* Result,
                                   EXCEPINFO*, UINT*) override {
    TCall Call;
    static const wchar_t* const Names[] = {L"", L"LoadMovie", L"Movie", L"BGColor", L"IsPlaying", L"Stop"};
    if (Id < 1 || Id > 5) return DISP_E_MEMBERNOTFOUND;
    Call.Name = Names[Id];
    if (Flags & DISPATCH_PROPERTYPUT) Call.Name += L"=";
    for (UINT I = 0; I < Params->cArgs; ++I) {
      const VARIANT& A = Params->rgvarg[I];
      if (A.vt == VT_BSTR) Call.Text.assign(A.bstrVal, SysStringLen(A.bstrVal));
      if (A.vt == VT_I4) Call.Layer = A.lVal;
    }
    if (Id == 1) {
      Call.FileThere = FileExists(WideToAnsi(Call.Text));
      if (Call.FileThere) Call.File = FileBytes(WideToAnsi(Call.Text));
    }
    Calls.push_back(Call);
    if (Id == 1 && Failures > 0) {
      --Failures;
      return E_FAIL;
    }
    if (Id == 4 && Result) {
      VariantInit(Result);
      Result->vt = VT_BOOL;
      Result->boolVal = VARIANT_TRUE;
    }
    return S_OK;
  }

  // IOleObject: enough to be asked for, nothing more.
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Close(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* Id) override {
    *Id = CLSID_MoviePlayer;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* Status) override {
    *Status = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

private:
  virtual ~TFakePlayer() = default;
  ULONG FRefs = 0;
};

class TFakeFactory : public IClassFactory {
public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Out) override {
    if (IsEqualIID(Iid, IID_IUnknown) || IsEqualIID(Iid, IID_IClassFactory)) {
      *Out = this;
      return S_OK;
    }
    *Out = nullptr;
    return E_NOINTERFACE;
  }
  // Lives as long as the test that registered it.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* Outer, REFIID Iid, void** Out) override {
    if (Outer) return CLASS_E_NOAGGREGATION;
    ++TFakePlayer::Made;
    IDispatch* Player = new TFakePlayer();
    Player->AddRef();
    const HRESULT Hr = Player->QueryInterface(Iid, Out);
    Player->Release();
    return Hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

class MoviePathTest : public PagePanelTest {
protected:
  void SetUp() override {
    PagePanelTest::SetUp();
    TFakePlayer::Calls.clear();
    TFakePlayer::Failures = 0;
    TFakePlayer::Made = 0;
    ASSERT_EQ(CoRegisterClassObject(CLSID_MoviePlayer, &Factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &Cookie),
              S_OK);
    Files.Contents["film.swf"] = {'F', 'W', 'S', 9, 1, 2, 3};
    Page->SetColor(0x00332211);
  }
  void TearDown() override {
    PagePanelTest::TearDown();
    CoRevokeClassObject(Cookie);
  }
  std::vector<TFakePlayer::TCall> LoadCalls() const {
    std::vector<TFakePlayer::TCall> Result;
    for (const auto& C : TFakePlayer::Calls)
      if (C.Name == L"LoadMovie") Result.push_back(C);
    return Result;
  }

  TFakeFactory Factory;
  DWORD Cookie = 0;
};

TEST_F(MoviePathTest, TheMovieGoesThroughATemporaryFileAndGetsThePanelColour) {
  Page->AddMedia(true, "film.swf", nullptr, true, 0, false, "", true, false, false, Rect(0, 0, 40, 30));
  ASSERT_EQ(TFakePlayer::Made, 1);
  auto* Movie = dynamic_cast<TELearnMovie*>(Page->StillObjects().at(0));
  ASSERT_NE(Movie, nullptr);
  EXPECT_TRUE(Movie->IsBackground());
  const auto Loads = LoadCalls();
  ASSERT_EQ(Loads.size(), 1u);
  EXPECT_EQ(Loads[0].Layer, 0);
  EXPECT_TRUE(Loads[0].FileThere);
  EXPECT_EQ(Loads[0].File, Files.Contents["film.swf"]);
  EXPECT_FALSE(FileExists(WideToAnsi(Loads[0].Text))) << "the movie's file is left behind";
  EXPECT_EQ(ExtractFileName(WideToAnsi(Loads[0].Text)).find("temp.swf"), AnsiString::npos);
  std::vector<std::wstring> Order;
  for (const auto& C : TFakePlayer::Calls) Order.push_back(C.Name + L":" + C.Text);
  ASSERT_EQ(Order.size(), 3u);
  EXPECT_EQ(Order[0], L"Movie=:film.swf");
  EXPECT_EQ(Order[2], L"BGColor=:112233");
}

TEST_F(MoviePathTest, AFailedLoadIsTriedAgainUpToFiveTimes) {
  TFakePlayer::Failures = 2;
  Page->AddMedia(true, "film.swf", nullptr, false, 0, false, "", true, false, false, Rect(0, 0, 40, 30));
  EXPECT_EQ(LoadCalls().size(), 3u);

  TFakePlayer::Calls.clear();
  TFakePlayer::Failures = 100;
  const DWORD Start = GetTickCount();
  Page->AddMedia(true, "film.swf", nullptr, false, 0, false, "", true, false, false, Rect(0, 0, 40, 30));
  const DWORD Elapsed = GetTickCount() - Start;
  const auto Loads = LoadCalls();
  EXPECT_EQ(Loads.size(), 5u);
  // Four waits of 100 ms between the five tries.
  EXPECT_GE(Elapsed, 380u);
  for (const auto& L : Loads) EXPECT_FALSE(FileExists(WideToAnsi(L.Text)));
  // The movie is kept though it did not load, and gets its colour.
  EXPECT_EQ(TFakePlayer::Calls.back().Name, L"BGColor=");
  EXPECT_NE(Page->StillObjects().at(1), nullptr);
}

TEST_F(MoviePathTest, HidingStopsAPlayingMovie) {
  Page->AddMedia(true, "film.swf", nullptr, false, 0, false, "", true, false, false, Rect(0, 0, 40, 30));
  TFakePlayer::Calls.clear();
  Page->SetVisible(false);
  std::vector<std::wstring> Names;
  for (const auto& C : TFakePlayer::Calls) Names.push_back(C.Name);
  EXPECT_EQ(Names, (std::vector<std::wstring>{L"IsPlaying", L"Stop"}));
}

TEST_F(MoviePathTest, AMovieOnAShownPageGetsItsWindowAndGoes) {
  Host = new TForm(Application);
  Host->SetBounds(50, 50, 300, 200);
  Page->SetParent(Host);
  Page->SetBounds(0, 0, 280, 180);
  Page->AddMedia(true, "film.swf", nullptr, false, 0, false, "", true, false, false, Rect(10, 10, 90, 70));
  auto* Movie = dynamic_cast<TELearnMovie*>(Page->StillObjects().at(0));
  ASSERT_NE(Movie, nullptr);
  Host->Show();
  PumpFor(100);
  // The stand-in cannot be hosted; the movie keeps a window of its own and
  // is still driven.
  ASSERT_TRUE(Movie->HandleAllocated());
  EXPECT_TRUE(IsWindowVisible(Movie->Handle()));
  EXPECT_TRUE(Movie->IsPlaying());
  Page->Free();
  Page = nullptr;
  EXPECT_EQ(TFakePlayer::Calls.back().Name, L"Stop");
}

// ---------------------------------------------------------------------------
// Mutated page settings, through both kinds of node

struct TRandomPage {
  std::mt19937 Rng;
  explicit TRandomPage(unsigned Seed) : Rng(Seed) {}
  int Below(int N) { return static_cast<int>(Rng() % static_cast<unsigned>(N)); }

  WideString Value() {
    static const wchar_t* const Pool[] = {L"0",     L"1",      L"-1",          L"10",         L"110",
                                          L"true",  L"FALSE",  L"tRuE",        L"",           L"abc",
                                          L"2147483647", L"-2147483648", L"2147483648", L"65536", L"0x1F",
                                          L" 7",    L"1e3",    L"\x0105\x0107", L"<&>\"",     L"99999999999"};
    return Pool[Below(static_cast<int>(std::size(Pool)))];
  }
  WideString FileName() {
    static const wchar_t* const Pool[] = {L"a.bmp", L"b.BMP", L"x.jpg", L"film.swf", L"t.txt", L"", L"\x0105.dib",
                                          L"w.wmf", L"noext"};
    return Pool[Below(static_cast<int>(std::size(Pool)))];
  }
  void MaybeSet(const TNode& N, const wchar_t* Name) {
    if (Below(3) != 0) N->Set(Name, Value());
  }
  TNode Make() {
    TNode Root = std::make_shared<TMemoryPageNode>(L"page");
    if (Below(4) != 0) {
      TNode Size = Root->Add(L"size");
      for (const wchar_t* A : {L"margin", L"margin_lr", L"margin_tb"}) MaybeSet(Size, A);
    }
    if (Below(4) != 0) {
      TNode Options = Root->Add(L"options");
      if (Below(5) != 0) {
        TNode Global = Options->Add(L"global");
        for (const wchar_t* A : {L"inputs_multiline", L"stop_all_sounds", L"pause_sounds"}) MaybeSet(Global, A);
        if (Below(2)) Global->Add(L"checking_opt")->Set(L"ignore_enters", Value());
        if (Below(2)) Global->Add(L"play")->Set(L"all", Value());
      }
    }
    if (Below(5) != 0) {
      TNode Images = Root->Add(L"still_images");
      const int Count = Below(5);
      if (Below(4) != 0) Images->Set(L"quantity", Below(3) ? std::to_wstring(Below(7)) : Value());
      for (int I = 0; I < Count; ++I) {
        if (Below(6) == 0) {
          Images->Add(L"item")->Add(L"other", L"x");
          continue;
        }
        TNode Still = Images->Add(L"item")->Add(L"still_image", FileName());
        for (const wchar_t* A : {L"show", L"height", L"width", L"origin_y", L"origin_x", L"stretch", L"transparent",
                                 L"hint", L"has_frame", L"frame_color", L"is_background"})
          if (Below(4) == 0) Still->Set(A, Value());
      }
    }
    return Root;
  }
};

std::wstring Escaped(const WideString& S) {
  std::wstring Out;
  for (wchar_t C : S) {
    switch (C) {
      case L'&': Out += L"&amp;"; break;
      case L'<': Out += L"&lt;"; break;
      case L'>': Out += L"&gt;"; break;
      case L'"': Out += L"&quot;"; break;
      default: Out += C;
    }
  }
  return Out;
}

// One element as XML.
std::wstring Element(const WideString& Name, const std::vector<std::pair<WideString, WideString>>& Attributes,
                     const std::wstring& Inner) {
  std::wstring Out = L"<" + Name;
  for (const auto& [Attribute, Value] : Attributes) Out += L" " + Attribute + L"=\"" + Escaped(Value) + L"\"";
  return Out + L">" + Inner + L"</" + Name + L">";
}

// What a page made of its settings, in words, for comparing two pages.
std::string Summary(TTestPage* Page) {
  std::string S = Settings(Page);
  for (TControl* C : Page->StillObjects()) {
    if (!C) {
      S += " [none]";
      continue;
    }
    S += " [" + Str(C->BoundsRect()) + " " + C->Hint();
    if (auto* I = dynamic_cast<TELearnFramedImage*>(C))
      S += " " + I->FileName() + " " + std::to_string(I->HasFrame()) + std::to_string(I->IsBackground()) +
           std::to_string(I->Transparent()) + " " + std::to_string(I->FrameColor());
    S += "]";
  }
  return S;
}

TEST(PageSettingsMutations, EveryGroupIsReadOrLeftOutAndBothNodeKindsAgree) {
  const unsigned Seed = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
  std::printf("page settings mutation seed %u\n", Seed);
  std::mt19937 Flip(Seed ^ 0x5A5A5A5Au);
  TFiles Files;
  static const wchar_t* const AttributeNames[] = {
      L"margin",   L"margin_lr",  L"margin_tb", L"inputs_multiline", L"stop_all_sounds", L"pause_sounds",
      L"ignore_enters", L"all",   L"quantity",  L"show",             L"height",          L"width",
      L"origin_y", L"origin_x",   L"stretch",   L"transparent",      L"hint",            L"has_frame",
      L"frame_color", L"is_background"};
  int Parsed = 0;
  for (int Case = 0; Case < 5000; ++Case) {
    SCOPED_TRACE("case " + std::to_string(Case) + ", seed " + std::to_string(Seed));
    TRandomPage Random(Seed + static_cast<unsigned>(Case));
    const TNode Tree = Random.Make();
    // The same page as XML: every attribute the tree may hold is asked of
    // each node while writing.
    std::function<std::wstring(const TNode&)> Write = [&](const TNode& N) {
      std::vector<std::pair<WideString, WideString>> Attributes;
      for (const wchar_t* A : AttributeNames)
        if (auto V = N->Attribute(A)) Attributes.emplace_back(A, *V);
      std::wstring Inner;
      for (int I = 0;; ++I) {
        const TPageNode C = N->FindItem(I);
        if (!C) break;
        Inner += Write(std::static_pointer_cast<TMemoryPageNode>(C));
      }
      // A leaf holds its own text only.
      if (Inner.empty()) Inner = Escaped(N->Text());
      return Element(N->Name(), Attributes, Inner);
    };
    const std::wstring Xml = Write(Tree);

    TOwned<TTestPage> FromTree(new TTestPage(nullptr));
    TOwned<TTestPage> FromXml(new TTestPage(nullptr));
    FromTree->OnGetStream = TGetStream(&Files, &TFiles::GetStream);
    FromXml->OnGetStream = TGetStream(&Files, &TFiles::GetStream);
    ASSERT_NO_THROW(FromTree->ReadPageSettings(Tree));
    TPageNode Document;
    ASSERT_NO_THROW(Document = LoadPageDocument(Xml)) << WideToAnsi(Xml);
    ASSERT_NO_THROW(FromXml->ReadPageSettings(Document));
    ASSERT_EQ(Summary(FromTree.get()), Summary(FromXml.get())) << WideToAnsi(Xml);

    // The text itself damaged: the document is refused, or read cleanly.
    std::wstring Damaged = Xml;
    for (int N = 1 + static_cast<int>(Flip() % 3); N > 0 && !Damaged.empty(); --N) {
      const std::size_t At = Flip() % Damaged.size();
      switch (Flip() % 3) {
        case 0: Damaged[At] = static_cast<wchar_t>(L" <>/=\"&a0"[Flip() % 9]); break;
        case 1: Damaged.erase(At, 1 + Flip() % 8); break;
        default: Damaged.resize(At); break;
      }
    }
    try {
      TPageNode Broken = LoadPageDocument(Damaged);
      ++Parsed;
      TOwned<TTestPage> FromBroken(new TTestPage(nullptr));
      ASSERT_NO_THROW(FromBroken->ReadPageSettings(Broken)) << WideToAnsi(Damaged);
    } catch (const EPageNodeError&) {
    }
  }
  std::printf("%d of the damaged documents were still well formed\n", Parsed);
}

}  // namespace
