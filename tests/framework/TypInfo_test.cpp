#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Classes.h"
#include "TypInfo.h"

namespace {

enum TShade { shLight, shMedium, shDark };
enum TMark { mkBold, mkItalic, mkUnder };
using TMarks = TSet<TMark>;

class TSample : public TComponent {
public:
  using TComponent::TComponent;
  int Size() const { return FSize; }
  void SetSize(int Value) { FSize = Value; }
  TShade Shade() const { return FShade; }
  void SetShade(TShade Value) { FShade = Value; }
  TMarks Marks() const { return FMarks; }
  void SetMarks(TMarks Value) { FMarks = Value; }
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& Value) { FCaption = Value; }
  TSample* Buddy() const { return FBuddy; }
  void SetBuddy(TSample* Value) { FBuddy = Value; }
  int Version() const { return 3; }

  WideString Title;
  char Key = 'a';
  bool Flag = false;
  double Ratio = 0;
  TNotifyEvent OnPing;
  TMethodPtr<void(TObject*, int&)> OnKey;

private:
  int FSize = 0;
  TShade FShade = shLight;
  TMarks FMarks;
  AnsiString FCaption;
  TSample* FBuddy = nullptr;
};

// Publishes Size again (as a read-only property) and adds its own.
class TSampleChild : public TSample {
public:
  using TSample::TSample;
  int Extra = 0;
};

// Not registered: found through its nearest registered base.
class TUnregistered : public TSampleChild {
public:
  using TSampleChild::TSampleChild;
};

class TListener : public TObject {
public:
  TObject* Pinged = nullptr;
  void Ping(TObject* Sender) { Pinged = Sender; }
  void Key(TObject*, int&) {}
};

void RegisterSamples() {
  RegisterClass<TSample, TComponent>()
      .Int("Size", &TSample::Size, &TSample::SetSize, 0)
      .Enum("Shade", &TSample::Shade, &TSample::SetShade, shLight, {"shLight", "shMedium", "shDark"})
      .Set("Marks", &TSample::Marks, &TSample::SetMarks, TMarks{}, {"mkBold", "mkItalic", "mkUnder"}, "TMarks")
      .Str("Caption", &TSample::Caption, &TSample::SetCaption)
      .WStr("Title", &TSample::Title, &TSample::Title)
      .Char("Key", &TSample::Key, &TSample::Key)
      .Bool("Flag", &TSample::Flag, &TSample::Flag, false)
      .Float("Ratio", &TSample::Ratio, &TSample::Ratio)
      .Int("Version", &TSample::Version, nullptr)
      .Object("Buddy", &TSample::Buddy, &TSample::SetBuddy)
      .Event("OnPing", &TSample::OnPing, "TNotifyEvent")
      .Event("OnKey", &TSample::OnKey);
  RegisterClass<TSampleChild, TSample>()
      .Int("Size", &TSampleChild::Size, nullptr)
      .Int("Extra", &TSampleChild::Extra, &TSampleChild::Extra);
}

void EnsureRegistered() {
  static const bool Done = (RegisterSamples(), true);
  (void)Done;
}

}  // namespace

TEST(ClassRegistry, LookupCreatesAndWalksParents) {
  EnsureRegistered();
  const TClassInfo* Child = FindClass("tsamplechild");
  ASSERT_NE(Child, nullptr);
  EXPECT_EQ(Child->ClassName(), "TSampleChild");
  EXPECT_EQ(Child->Parent(), GetClass("TSample"));
  EXPECT_TRUE(Child->InheritsFrom(ClassInfoOf<TComponent>()));
  EXPECT_EQ(GetClass("TNoSuch"), nullptr);
  try {
    FindClass("TNoSuch");
    FAIL();
  } catch (const EClassNotFound& E) {
    EXPECT_EQ(E.Message(), "Nie znaleziono klasy TNoSuch");
  }
  EXPECT_FALSE(ClassInfoOf<TPersistent>()->CanCreate());
  EXPECT_THROW((RegisterClass<TUnregistered, TSampleChild>("TSample")), EFilerError);

  TOwned<TComponent> Owner(new TComponent(nullptr));
  TComponent* Made = Child->Create(Owner.get());
  EXPECT_EQ(Made->Owner(), Owner.get());
  EXPECT_NE(dynamic_cast<TSampleChild*>(Made), nullptr);

  // Inherited properties (Name and Tag of every component), the child's own
  // Size winning over its parent's, and an unregistered class resolved to
  // its nearest registered base.
  TUnregistered Plain(nullptr);
  EXPECT_EQ(ClassInfoOf(&Plain), Child);
  EXPECT_NE(GetPropInfo(&Plain, "TAG"), nullptr);
  EXPECT_TRUE(GetPropInfo(&Plain, "size")->ReadOnly());
  EXPECT_FALSE(GetPropInfo(Child->Parent(), "Size")->ReadOnly());
  EXPECT_EQ(GetPropInfo(&Plain, "Missing"), nullptr);
  std::vector<std::string> Names;
  for (const TPropInfo* P : GetPropList(&Plain)) Names.push_back(P->Name());
  ASSERT_GE(Names.size(), 4u);
  EXPECT_EQ(Names[0], "Name");
  EXPECT_EQ(Names[1], "Tag");
  EXPECT_EQ(Names[2], "Size");
  EXPECT_EQ(Names.back(), "Extra");
  EXPECT_EQ(std::count(Names.begin(), Names.end(), "Size"), 1);
}

TEST(PublishedProperties, TypedAccessors) {
  EnsureRegistered();
  TSample S(nullptr);
  SetOrdProp(&S, "Size", 42);
  EXPECT_EQ(S.Size(), 42);
  EXPECT_EQ(GetOrdProp(&S, "Size"), 42);

  SetEnumProp(&S, "Shade", "SHDARK");
  EXPECT_EQ(S.Shade(), shDark);
  EXPECT_EQ(GetEnumProp(&S, "Shade"), "shDark");
  EXPECT_EQ(GetPropInfo(&S, "Shade")->TypeName(), "TShade");
  EXPECT_EQ(GetPropInfo(&S, "Shade")->Default(), shLight);

  SetEnumProp(&S, "Flag", "True");
  EXPECT_TRUE(S.Flag);
  EXPECT_EQ(GetPropInfo(&S, "Flag")->TypeName(), "Boolean");

  SetOrdProp(&S, "Key", 0xB3);  // a code-page byte above 127
  EXPECT_EQ(S.Key, '\xB3');
  EXPECT_EQ(GetOrdProp(&S, "Key"), 0xB3);

  SetFloatProp(&S, "Ratio", 2.5);
  EXPECT_DOUBLE_EQ(GetFloatProp(&S, "Ratio"), 2.5);

  // Strings convert between the widths through the system code page.
  SetWideStrProp(&S, "Caption", L"łódź");
  EXPECT_EQ(S.Caption(), WideToAnsi(L"łódź"));
  SetStrProp(&S, "Title", WideToAnsi(L"żółw"));
  EXPECT_EQ(S.Title, L"żółw");
  EXPECT_EQ(GetStrProp(&S, "Title"), WideToAnsi(L"żółw"));

  TSample Other(nullptr);
  SetObjectProp(&S, "Buddy", &Other);
  EXPECT_EQ(GetObjectProp(&S, "Buddy"), &Other);
  TComponent NotASample(nullptr);
  EXPECT_THROW(SetObjectProp(&S, "Buddy", &NotASample), EPropertyConvertError);

  try {
    SetOrdProp(&S, "Version", 4);
    FAIL();
  } catch (const EPropertyError& E) {
    EXPECT_EQ(E.Message(), WideToAnsi(L"Właściwość Version jest tylko do odczytu"));
  }
  try {
    GetOrdProp(&S, "Nothing");
    FAIL();
  } catch (const EPropertyError& E) {
    EXPECT_EQ(E.Message(), WideToAnsi(L"Właściwość Nothing nie istnieje"));
  }
  EXPECT_THROW(GetFloatProp(&S, "Size"), EPropertyConvertError);
  EXPECT_THROW(SetOrdProp(&S, "Shade", 3), EPropertyConvertError);
  EXPECT_THROW(SetEnumProp(&S, "Shade", "shNone"), EPropertyConvertError);
  EXPECT_EQ(S.Shade(), shDark);
}

TEST(PublishedProperties, SetText) {
  EnsureRegistered();
  TSample S(nullptr);
  const TPropInfo* Marks = GetPropInfo(&S, "Marks");
  struct TCase {
    const char* Text;
    TMarks Expected;
  };
  const TCase Cases[] = {
      {"[mkBold,mkUnder]", {mkBold, mkUnder}},
      {" [ mkItalic , MKBOLD ] ", {mkBold, mkItalic}},
      {"mkUnder", {mkUnder}},
      {"[]", {}},
      {"", {}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Text);
    SetSetProp(&S, Marks, C.Text);
    EXPECT_EQ(S.Marks(), C.Expected);
  }
  S.SetMarks({mkUnder, mkBold});
  EXPECT_EQ(GetSetProp(&S, Marks), "[mkBold,mkUnder]");
  EXPECT_EQ(GetSetProp(&S, Marks, false), "mkBold,mkUnder");
  EXPECT_EQ(GetOrdProp(&S, Marks), 5);
  try {
    SetSetProp(&S, Marks, "[mkBold,mkNone]");
    FAIL();
  } catch (const EPropertyConvertError& E) {
    EXPECT_EQ(E.Message(), WideToAnsi(L"Nieprawidłowy element właściwości: mkNone"));
  }
  EXPECT_THROW(SetSetProp(&S, Marks, "[mkBold"), EPropertyConvertError);
  EXPECT_THROW(SetOrdProp(&S, Marks, 8), EPropertyConvertError);
  EXPECT_EQ(S.Marks(), (TMarks{mkBold, mkUnder}));
}

TEST(PublishedProperties, EventsTakeOnlyHandlersOfTheirSignature) {
  EnsureRegistered();
  TSample S(nullptr);
  TListener L;
  const TPropInfo* OnPing = GetPropInfo(&S, "OnPing");
  EXPECT_EQ(OnPing->TypeName(), "TNotifyEvent");

  TMethod Ping;
  Ping.Data = &L;
  Ping.Code = static_cast<TNotifyEvent::TCode>(&TListener::Ping);
  EXPECT_TRUE(OnPing->AcceptsCode(Ping.Code));
  SetMethodProp(&S, OnPing, Ping);
  ASSERT_TRUE(S.OnPing);
  S.OnPing(&S);
  EXPECT_EQ(L.Pinged, &S);
  EXPECT_TRUE(GetMethodProp(&S, OnPing));
  EXPECT_EQ(GetMethodProp(&S, OnPing).Data, &L);

  TMethod Key;
  Key.Data = &L;
  Key.Code = static_cast<TMethodPtr<void(TObject*, int&)>::TCode>(&TListener::Key);
  EXPECT_THROW(SetMethodProp(&S, OnPing, Key), EPropertyConvertError);
  SetMethodProp(&S, "OnKey", Key);
  EXPECT_TRUE(S.OnKey);

  SetMethodProp(&S, OnPing, TMethod());
  EXPECT_FALSE(S.OnPing);
  EXPECT_FALSE(GetMethodProp(&S, OnPing));
}
