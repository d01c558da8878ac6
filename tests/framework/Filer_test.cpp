#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Classes.h"
#include "Collections.h"
#include "Filer.h"
#include "Lists.h"
#include "Streams.h"
#include "TypInfo.h"

namespace {

enum TTone { toLow, toMid, toHigh };
enum TStyleBit { sbBold, sbItalic, sbUnderline };
using TStyleBits = TSet<TStyleBit>;
constexpr int tcBrick = 0x2040A0;

std::vector<std::string>& LoadedLog() {
  static std::vector<std::string> Log;
  return Log;
}

class TTestFont : public TPersistent {
public:
  int Height() const { return FHeight; }
  void SetHeight(int Value) { FHeight = Value; }
  TStyleBits Style() const { return FStyle; }
  void SetStyle(TStyleBits Value) { FStyle = Value; }

private:
  int FHeight = 0;
  TStyleBits FStyle;
};

// Keeps its data to itself: a binary "Data" and an integer "Extra".
class TTestBlob : public TPersistent {
public:
  std::string Data;
  int Extra = 0;

protected:
  void DefineProperties(TFiler* Filer) override {
    Filer->DefineBinaryProperty(
        "Data",
        [this](TStream* S) {
          Data.assign(static_cast<size_t>(S->Size()), '\0');
          S->ReadBuffer(Data.data(), static_cast<int>(Data.size()));
        },
        nullptr, !Data.empty());
    Filer->DefineProperty("Extra", [this](TReader* R) { Extra = R->ReadInteger(); }, nullptr, Extra != 0);
  }
};

class TTestItem : public TCollectionItem {
public:
  using TCollectionItem::TCollectionItem;
  int Width = 0;
  AnsiString Title;
  void Assign(TPersistent* Source) override {
    if (auto* Item = dynamic_cast<TTestItem*>(Source)) {
      Width = Item->Width;
      Title = Item->Title;
      return;
    }
    TCollectionItem::Assign(Source);
  }
};

// Counts the Update calls of whole-collection changes.
class TCountingCollection : public TCollection {
public:
  TCountingCollection() : TCollection(CollectionItemOf<TTestItem>) {}
  int Updates = 0;

protected:
  void Update(TCollectionItem* Item) override {
    if (!Item) ++Updates;
  }
};

using TKeyEvent = TMethodPtr<void(TObject* Sender, int& Key)>;

class TTestNode : public TComponent {
public:
  explicit TTestNode(TComponent* AOwner) : TComponent(AOwner), FItems(CollectionItemOf<TTestItem>) {}

  int Number() const { return FNumber; }
  void SetNumber(int Value) {
    FNumber = Value;
    NumberSetWhileReading = ComponentState().Contains(csReading);
  }
  TTone Tone() const { return FTone; }
  void SetTone(TTone Value) { FTone = Value; }
  TTestFont* Font() { return &FFont; }
  TStringList* Lines() { return &FLines; }
  TCollection* Items() { return &FItems; }
  TTestBlob* Blob() { return &FBlob; }
  TTestNode* Buddy() const { return FBuddy; }
  void SetBuddy(TTestNode* Value) {
    if (FBuddy) FBuddy->RemoveFreeNotification(this);
    FBuddy = Value;
    if (FBuddy) FBuddy->FreeNotification(this);
  }
  TComponent* ParentComponent() const { return FParentComponent; }

  AnsiString Caption;
  WideString WideCaption;
  int Color = 0;
  double Ratio = 0;
  bool Enabled = true;
  bool NumberSetWhileReading = false;
  TNotifyEvent OnPing;
  TKeyEvent OnKey;

protected:
  void SetParentComponent(TComponent* Value) override { FParentComponent = Value; }
  void Loaded() override {
    TComponent::Loaded();
    LoadedLog().push_back(Name() + (FBuddy ? "->" + FBuddy->Name() : ""));
  }
  void Notification(TComponent* AComponent, TOperation Operation) override {
    if (Operation == opRemove && AComponent == FBuddy) FBuddy = nullptr;
    TComponent::Notification(AComponent, Operation);
  }

private:
  int FNumber = 0;
  TTone FTone = toLow;
  TTestFont FFont;
  TStringList FLines;
  TCollection FItems;
  TTestBlob FBlob;
  TTestNode* FBuddy = nullptr;
  TComponent* FParentComponent = nullptr;
};

class TTestRoot : public TTestNode {
public:
  using TTestNode::TTestNode;
  TTestNode* First = nullptr;
  TTestNode* Second = nullptr;
  TTestNode* Inner = nullptr;
  TObject* PingedBy = nullptr;
  void NodePing(TObject* Sender) { PingedBy = Sender; }
  void NodeKey(TObject*, int& Key) { Key = 0; }
};

bool IdentToTestColor(const AnsiString& Ident, int& Value) {
  if (Ident != "tcBrick") return false;
  Value = tcBrick;
  return true;
}

bool TestColorToIdent(int Value, AnsiString& Ident) {
  if (Value != tcBrick) return false;
  Ident = "tcBrick";
  return true;
}

void RegisterTestClasses() {
  RegisterIntegerConsts("TTestColor", IdentToTestColor, TestColorToIdent);
  RegisterClass<TTestFont, TPersistent>()
      .Int("Height", &TTestFont::Height, &TTestFont::SetHeight)
      .Set("Style", &TTestFont::Style, &TTestFont::SetStyle, TStyleBits{}, {"sbBold", "sbItalic", "sbUnderline"},
           "TStyleBits");
  RegisterClass<TTestBlob, TPersistent>();
  RegisterClass<TTestItem, TCollectionItem>()
      .Int("Width", &TTestItem::Width, &TTestItem::Width, 0)
      .Str("Title", &TTestItem::Title, &TTestItem::Title);
  RegisterClass<TTestNode, TComponent>()
      .Int("Number", &TTestNode::Number, &TTestNode::SetNumber, 0)
      .Int("NumberUnderAVeryLongPropertyName", &TTestNode::Number, &TTestNode::SetNumber, 0)
      .Str("Caption", &TTestNode::Caption, &TTestNode::Caption)
      .WStr("WideCaption", &TTestNode::WideCaption, &TTestNode::WideCaption)
      .Enum("Tone", &TTestNode::Tone, &TTestNode::SetTone, toLow, {"toLow", "toMid", "toHigh"})
      .Int("Color", &TTestNode::Color, &TTestNode::Color, 0, "TTestColor")
      .Float("Ratio", &TTestNode::Ratio, &TTestNode::Ratio)
      .Bool("Enabled", &TTestNode::Enabled, &TTestNode::Enabled, true)
      .Object("Font", &TTestNode::Font)
      .Object("Lines", &TTestNode::Lines)
      .Object("Items", &TTestNode::Items)
      .Object("Blob", &TTestNode::Blob)
      .Object("Buddy", &TTestNode::Buddy, &TTestNode::SetBuddy)
      .Event("OnPing", &TTestNode::OnPing, "TNotifyEvent")
      .Event("OnKey", &TTestNode::OnKey, "TKeyEvent");
  RegisterClass<TTestRoot, TTestNode>()
      .Method("NodePing", &TTestRoot::NodePing)
      .Method("NodeKey", &TTestRoot::NodeKey)
      .Field("First", &TTestRoot::First)
      .Field("Second", &TTestRoot::Second)
      .Field("Inner", &TTestRoot::Inner);
}

void EnsureRegistered() {
  static const bool Done = (RegisterTestClasses(), true);
  (void)Done;
}

// --- a readable dump of a tree through the published properties ---

std::string Hex(const std::string& Bytes) {
  std::string R;
  char Buf[4];
  for (unsigned char C : Bytes) {
    std::snprintf(Buf, sizeof Buf, "%02X", C);
    R += Buf;
  }
  return R;
}

std::string HexUnits(const WideString& Units) {
  std::string R;
  char Buf[8];
  for (wchar_t U : Units) {
    std::snprintf(Buf, sizeof Buf, "%04X", static_cast<unsigned>(U));
    R += Buf;
  }
  return R;
}

std::string DumpProps(TObject* Obj);

std::string DumpValue(TObject* Obj, const TPropInfo* P) {
  switch (P->Kind()) {
    case tkEnumeration: return GetEnumProp(Obj, P);
    case tkSet: return GetSetProp(Obj, P);
    case tkFloat: return std::to_string(GetFloatProp(Obj, P));
    case tkString: return Hex(GetStrProp(Obj, P));
    case tkWString: return HexUnits(GetWideStrProp(Obj, P));
    case tkMethod: return GetMethodProp(Obj, P) ? "bound" : "nil";
    case tkClass: {
      TObject* Value = GetObjectProp(Obj, P);
      if (!Value) return "nil";
      if (auto* C = dynamic_cast<TComponent*>(Value)) return "@" + C->Name();
      if (auto* S = dynamic_cast<TStrings*>(Value)) return Hex(S->Text());
      if (auto* B = dynamic_cast<TTestBlob*>(Value)) return Hex(B->Data) + "/" + std::to_string(B->Extra);
      if (auto* L = dynamic_cast<TCollection*>(Value)) {
        std::string R = "<";
        for (int I = 0; I < L->Count(); ++I) R += "(" + DumpProps(L->Items(I)) + ")";
        return R + ">";
      }
      return "{" + DumpProps(Value) + "}";
    }
    default: return std::to_string(GetOrdProp(Obj, P));
  }
}

std::string DumpProps(TObject* Obj) {
  std::string R;
  for (const TPropInfo* P : GetPropList(Obj)) R += P->Name() + "=" + DumpValue(Obj, P) + " ";
  return R;
}

std::string DumpTree(TTestNode* Root) {
  std::string R = Root->ClassName() + " " + DumpProps(Root) + "\n";
  for (int I = 0; I < Root->ComponentCount(); ++I) {
    auto* Node = static_cast<TTestNode*>(Root->Components(I));
    R += Node->ClassName() + " in " + (Node->ParentComponent() ? Node->ParentComponent()->Name() : "-") + " " +
         DumpProps(Node) + "\n";
  }
  return R;
}

// --- the same layout built by hand in the binary form ---

class TFormBytes {
public:
  std::string S;
  TFormBytes& Byte(int V) {
    S += static_cast<char>(V);
    return *this;
  }
  TFormBytes& Le32(std::int32_t V) {
    for (int I = 0; I < 4; ++I) Byte(static_cast<int>((static_cast<std::uint32_t>(V) >> (8 * I)) & 0xFF));
    return *this;
  }
  TFormBytes& Short(const std::string& T) {
    Byte(static_cast<int>(T.size()));
    S += T;
    return *this;
  }
  TFormBytes& Object(const std::string& Class, const std::string& Name) { return Short(Class).Short(Name); }
  TFormBytes& Prop(const std::string& Name) { return Short(Name); }
  TFormBytes& End() { return Byte(vaNull); }
  TFormBytes& Int8(int V) { return Byte(vaInt8).Byte(V & 0xFF); }
  TFormBytes& String(const std::string& T) { return Byte(vaString).Short(T); }
  TFormBytes& LString(const std::string& T) {
    Byte(vaLString).Le32(static_cast<std::int32_t>(T.size()));
    S += T;
    return *this;
  }
  TFormBytes& Utf8(const std::string& T) {
    Byte(vaUTF8String).Le32(static_cast<std::int32_t>(T.size()));
    S += T;
    return *this;
  }
  TFormBytes& Wide(const WideString& T) {
    Byte(vaWString).Le32(static_cast<std::int32_t>(T.size()));
    for (wchar_t U : T) Byte(U & 0xFF).Byte(U >> 8);
    return *this;
  }
  TFormBytes& Ident(const std::string& T) { return Byte(vaIdent).Short(T); }
  TFormBytes& Raw(const std::string& Bytes) {
    S += Bytes;
    return *this;
  }
};

std::string HandBuiltLayout() {
  TFormBytes B;
  B.Raw("TPF0").Object("TTestRoot", "TestRoot");
  B.Prop("Number").Int8(-12);
  B.Prop("Caption").Wide(L"Zażłó gęślą");
  B.Prop("Tone").Ident("toHigh");
  B.End();
  {
    B.Object("TTestNode", "First");
    B.Prop("Number").Int8(31);
    B.Prop("Caption").LString("Plain ASCII\r\nsecond");
    B.Prop("WideCaption").Utf8("Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87");
    B.Prop("Tone").Ident("toMid");
    B.Prop("Color").Ident("tcBrick");
    // 1500 as an x87 extended: mantissa BB80..., exponent 16383 + 10.
    B.Prop("Ratio").Byte(vaExtended).Raw(std::string("\0\0\0\0\0\0\x80\xBB\x09\x40", 10));
    B.Prop("Enabled").Byte(vaFalse);
    B.Prop("Font.Height").Int8(-11);
    B.Prop("Font.Style").Byte(vaSet).Short("sbBold").Short("sbUnderline").Short("");
    B.Prop("Lines.Strings").Byte(vaList).String("jeden").Wide(L"dwa i pół").String("trzy").End();
    B.Prop("Items").Byte(vaCollection);
    B.Byte(vaList).Prop("Width").Int8(10).Prop("Title").String("A").End();
    B.Byte(vaList).Prop("Width").Int8(20).End();
    B.End();
    B.Prop("Blob.Data").Byte(vaBinary).Le32(5).Raw("\x0A\x1B\x2C\x3D\x4E");
    B.Prop("Blob.Extra").Int8(42);
    B.Prop("Buddy").Ident("Second");
    B.Prop("OnPing").Ident("NodePing");
    B.End();
    B.Object("TTestNode", "Inner").Prop("Number").Int8(7).Prop("Buddy").Ident("TestRoot.First").End().End();
    B.End();
  }
  B.Object("TTestNode", "Second").Prop("Tag").Int8(5).End().End();
  B.End();
  return B.S;
}

TOwned<TTestRoot> NewRoot() { return TOwned<TTestRoot>(new TTestRoot(nullptr)); }

void ReadText(const std::string& Text, TComponent* Root) {
  TStringStream S(Text);
  ReadComponentLayout(&S, Root);
}

}  // namespace

TEST(Layout, ResourceLayoutBuildsTheTree) {
  EnsureRegistered();
  LoadedLog().clear();
  auto Root = NewRoot();
  ASSERT_TRUE(InitInheritedComponent(Root.get()));

  EXPECT_EQ(Root->Name(), "TestRoot");
  EXPECT_EQ(Root->Number(), -12);
  EXPECT_EQ(Root->Caption, WideToAnsi(L"Zażłó gęślą"));
  EXPECT_EQ(Root->Tone(), toHigh);
  ASSERT_EQ(Root->ComponentCount(), 3);

  TTestNode* First = Root->First;
  ASSERT_NE(First, nullptr);
  EXPECT_EQ(First->Name(), "First");
  EXPECT_EQ(Root->Second->Tag(), 5);
  EXPECT_EQ(Root->Inner->Number(), 7);

  EXPECT_EQ(First->Number(), 31);
  EXPECT_TRUE(First->NumberSetWhileReading);
  EXPECT_EQ(First->Caption, "Plain ASCII\r\nsecond");
  EXPECT_EQ(First->WideCaption, L"Zażółć");
  EXPECT_EQ(First->Tone(), toMid);
  EXPECT_EQ(First->Color, tcBrick);
  EXPECT_DOUBLE_EQ(First->Ratio, 1500.0);
  EXPECT_FALSE(First->Enabled);
  EXPECT_EQ(First->Font()->Height(), -11);
  EXPECT_EQ(First->Font()->Style(), (TStyleBits{sbBold, sbUnderline}));
  ASSERT_EQ(First->Lines()->Count(), 3);
  EXPECT_EQ(First->Lines()->Strings(1), WideToAnsi(L"dwa i pół"));
  EXPECT_EQ(First->Lines()->Strings(2), "trzy");
  ASSERT_EQ(First->Items()->Count(), 2);
  EXPECT_EQ(static_cast<TTestItem*>(First->Items()->Items(0))->Title, "A");
  EXPECT_EQ(static_cast<TTestItem*>(First->Items()->Items(1))->Width, 20);
  EXPECT_EQ(First->Blob()->Data, "\x0A\x1B\x2C\x3D\x4E");
  EXPECT_EQ(First->Blob()->Extra, 42);

  // References, parents and owners.
  EXPECT_EQ(First->Buddy(), Root->Second);
  EXPECT_EQ(Root->Inner->Buddy(), First);
  EXPECT_EQ(First->ParentComponent(), Root.get());
  EXPECT_EQ(Root->Inner->ParentComponent(), First);
  EXPECT_EQ(Root->Inner->Owner(), Root.get());

  // The handler bound by name fires with the sender.
  ASSERT_TRUE(First->OnPing);
  First->OnPing(First);
  EXPECT_EQ(Root->PingedBy, First);

  // Loaded ran in creation order, after the references were resolved.
  EXPECT_EQ(LoadedLog(), (std::vector<std::string>{"TestRoot", "First->Second", "Inner->First", "Second"}));
  for (int I = 0; I < Root->ComponentCount(); ++I) {
    EXPECT_FALSE(Root->Components(I)->ComponentState().Contains(csLoading));
    EXPECT_FALSE(Root->Components(I)->ComponentState().Contains(csReading));
  }
}

TEST(Layout, BinaryStreamGivesTheSameTreeAsTheText) {
  EnsureRegistered();
  auto FromText = NewRoot();
  ReadComponentRes("TTESTROOT", FromText.get());

  auto FromBinary = NewRoot();
  TStringStream Binary(HandBuiltLayout());
  ReadComponentLayout(&Binary, FromBinary.get());
  EXPECT_EQ(DumpTree(FromBinary.get()), DumpTree(FromText.get()));

  // And the converter writes a stream the reader takes the same way.
  TResourceStream Text(GetModuleHandleA(nullptr), "TTESTROOT", MAKEINTRESOURCEA(10));
  TMemoryStream Converted;
  ObjectTextToBinary(&Text, &Converted);
  Converted.SetPosition(0);
  auto FromConverted = NewRoot();
  ReadComponentLayout(&Converted, FromConverted.get());
  EXPECT_EQ(DumpTree(FromConverted.get()), DumpTree(FromText.get()));
}

TEST(Layout, BadLayoutsNameTheLine) {
  EnsureRegistered();
  struct TCase {
    const char* Text;
    const wchar_t* Message;
  };
  const TCase Cases[] = {
      {"object TestRoot: TTestRoot\n  Number = 1\n  object First: TTestNode\n    Bogus = 3\n  end\nend\n",
       L"Wiersz 4: Błąd odczytu First.Bogus: Właściwość Bogus nie istnieje"},
      {"object TestRoot: TTestRoot\n  object First: TTestNode\n  end\n  object X: TNoSuchClass\n  end\nend\n",
       L"Wiersz 4: Nie znaleziono klasy TNoSuchClass"},
      {"object TestRoot: TTestRoot\n  Caption = 'open\nend\n", L"Wiersz 2: Niezakończony napis"},
      {"object TestRoot: TTestRoot\n\n  OnPing = NodeKey\nend\n",
       L"Wiersz 3: Błąd odczytu TestRoot.OnPing: Metoda NodeKey nie ma sygnatury zdarzenia OnPing (TNotifyEvent)"},
      {"object TestRoot: TTestRoot\n  OnPing = NoHandler\nend\n",
       L"Wiersz 2: Błąd odczytu TestRoot.OnPing: Nie znaleziono metody NoHandler w TTestRoot"},
      {"object TestRoot: TTestRoot\n  Buddy = Nobody\n  object First: TTestNode\n  end\nend\n",
       L"Wiersz 2: Błąd odczytu TestRoot.Buddy: nie znaleziono składnika Nobody"},
      {"object TestRoot: TTestRoot\n  Tone = toLoud\nend\n",
       L"Wiersz 2: Błąd odczytu TestRoot.Tone: Nieprawidłowa wartość właściwości toLoud"},
      {"object TestRoot: TTestRoot\n  Number = 'x'\nend\n",
       L"Wiersz 2: Błąd odczytu TestRoot.Number: Nieprawidłowa wartość właściwości"},
      {"object TestRoot: TTestRoot\n  Font.Style = [sbBold, sbLoud]\nend\n",
       L"Wiersz 2: Błąd odczytu TestRoot.Font.Style: Nieprawidłowy element właściwości: sbLoud"},
      {"object TestRoot: TTestRoot\n  Number.Size = 1\nend\n",
       L"Wiersz 2: Błąd odczytu TestRoot.Number.Size: Nieprawidłowa ścieżka właściwości"},
      {"object TestRoot: TTestRoot\n  object First: TTestNode\n  end\n  object First: TTestNode\n  end\nend\n",
       L"Wiersz 4: Składnik o nazwie First już istnieje"},
      {"object TestRoot: TTestRoot\n  Blob.Data = { 0A1 }\nend\n", L"Wiersz 2: Dane binarne o nieparzystej liczbie cyfr szesnastkowych"},
      {"object TestRoot: TTestRoot\n  object First: TTestNode\n  end\n", L"Wiersz 4: Oczekiwano: \"end\""},
      {"object TestRoot: TTestRoot\n  object Second: TTestNode\n  end\nend\n",
       L"Układ TTestRoot nie ma składnika First"},
      {"object TestRoot: TTestRoot\n  Number = 99999999999\nend\n",
       L"Wiersz 2: Błąd odczytu TestRoot.Number: Liczba całkowita poza zakresem: 99999999999"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Text);
    auto Root = NewRoot();
    try {
      ReadText(C.Text, Root.get());
      ADD_FAILURE() << "no error";
    } catch (const Exception& E) {
      EXPECT_EQ(E.Message(), WideToAnsi(C.Message));
    }
    // What was created stays owned by the root, none of it left loading.
    for (int I = 0; I < Root->ComponentCount(); ++I)
      EXPECT_FALSE(Root->Components(I)->ComponentState().Contains(csLoading));
    EXPECT_FALSE(Root->ComponentState().Contains(csLoading));
  }

  auto Root = NewRoot();
  EXPECT_THROW(ReadText("object R: TTestRoot\n  object X: TNoSuchClass\n  end\nend\n", Root.get()), EClassNotFound);
  EXPECT_THROW(ReadText("object R: TTestRoot\n  Caption = 'x\nend\n", Root.get()), EParserError);
}

TEST(Layout, DamagedBinaryStreamsFailCleanly) {
  EnsureRegistered();
  const std::string Whole = HandBuiltLayout();
  TFormBytes Huge;
  Huge.Raw("TPF0").Object("TTestRoot", "R").Prop("Caption").Byte(vaLString).Le32(0x7FFFFFFF).Raw("abc");
  TFormBytes BadTag;
  BadTag.Raw("TPF0").Object("TTestRoot", "R").Prop("Number").Byte(0x55);
  const std::string Cases[] = {Whole.substr(0, Whole.size() / 2), Huge.S, BadTag.S, Whole.substr(0, 3) + "X"};
  for (const std::string& Bytes : Cases) {
    auto Root = NewRoot();
    TStringStream S(Bytes);
    EXPECT_THROW(ReadComponentLayout(&S, Root.get()), EFilerError);
  }
}

TEST(Layout, SecondRootOfTheSameLayoutGetsItsOwnName) {
  EnsureRegistered();
  TOwned<TComponent> Application(new TComponent(nullptr));
  auto* A = new TTestRoot(Application.get());
  auto* B = new TTestRoot(Application.get());
  ReadComponentRes("TTESTROOT", A);
  ReadComponentRes("TTESTROOT", B);
  EXPECT_EQ(A->Name(), "TestRoot");
  EXPECT_EQ(B->Name(), "TestRoot_1");
  // Each form's references stay within itself.
  EXPECT_EQ(B->Inner->Buddy(), B->First);
}

TEST(Layout, LongPropertyNamesFollowingAValueAreRead) {
  // Between two properties the next byte is a name length, which can be
  // any number: it must not be taken for a value tag.
  EnsureRegistered();
  TOwned<TTestNode> Root(new TTestNode(nullptr));
  ReadText("object Node: TTestNode\n"
           "  Tag = 3\n"
           "  NumberUnderAVeryLongPropertyName = 42\n"
           "  Caption = 'after'\n"
           "end\n",
           Root.get());
  EXPECT_EQ(Root->Number(), 42);
  EXPECT_EQ(Root->Caption, "after");
}

namespace {

int GLegacyReads = 0;

// Takes the old name "Size" as Number and leaves the rest to the default.
void LegacyPropertyReader(TReader* Reader, TPersistent* Instance) {
  const Int64 Start = Reader->Stream()->Position();
  if (Reader->ReadStr() == "Size") {
    ++GLegacyReads;
    static_cast<TTestNode*>(Instance)->SetNumber(Reader->ReadInteger());
    return;
  }
  Reader->Stream()->SetPosition(Start);
  Reader->DefaultReadProperty(Instance);
}

class TErrorSink : public TObject {
public:
  std::vector<std::string> Messages;
  void Skip(TReader*, const AnsiString& Message, bool& Handled) {
    Messages.push_back(Message);
    Handled = true;
  }
};

}  // namespace

TEST(Layout, PropertyReaderIsReplaceableAndErrorsMayBeSkipped) {
  EnsureRegistered();
  const char* Text = "object R: TTestNode\n  Size = 4\n  Tone = toMid\nend\n";
  TOwned<TTestNode> Root(new TTestNode(nullptr));
  const TReader::TPropertyReader Previous = TReader::SetPropertyReader(LegacyPropertyReader);
  ReadText(Text, Root.get());
  TReader::SetPropertyReader(Previous);
  EXPECT_EQ(GLegacyReads, 1);
  EXPECT_EQ(Root->Number(), 4);
  EXPECT_EQ(Root->Tone(), toMid);

  // With the default reader again, an error handler may skip the unknown
  // property; reading goes on with the next one.
  TMemoryStream Binary;
  TStringStream Source(Text);
  ObjectTextToBinary(&Source, &Binary);
  Binary.SetPosition(0);
  TOwned<TTestNode> Other(new TTestNode(nullptr));
  TErrorSink Sink;
  TReader Reader(&Binary);
  Reader.OnError = TReaderError(&Sink, &TErrorSink::Skip);
  Reader.ReadRootComponent(Other.get());
  EXPECT_EQ(Sink.Messages, (std::vector<std::string>{WideToAnsi(L"Błąd odczytu R.Size: Właściwość Size nie istnieje")}));
  EXPECT_EQ(Other->Tone(), toMid);
}

TEST(Collection, ItemsAreOwnedOrderedAndAssigned) {
  EnsureRegistered();
  TCountingCollection A;
  auto* First = static_cast<TTestItem*>(A.Add());
  First->Width = 1;
  auto* Front = static_cast<TTestItem*>(A.Insert(0));
  Front->Title = "front";
  EXPECT_EQ(A.Count(), 2);
  EXPECT_EQ(First->Index(), 1);
  EXPECT_EQ(A.FindItemID(First->ID()), First);
  First->SetIndex(0);
  EXPECT_EQ(A.Items(0), First);
  EXPECT_THROW(A.Items(2), EListError);
  EXPECT_THROW(A.Insert(5), EListError);

  TCountingCollection B;
  B.Add();
  B.Assign(&A);
  ASSERT_EQ(B.Count(), 2);
  EXPECT_EQ(static_cast<TTestItem*>(B.Items(0))->Width, 1);
  EXPECT_EQ(static_cast<TTestItem*>(B.Items(1))->Title, "front");

  // A batch of changes is one update; an item freed on its own leaves.
  A.Updates = 0;
  A.BeginUpdate();
  A.Add();
  A.Delete(0);
  Front->Free();
  A.EndUpdate();
  EXPECT_EQ(A.Updates, 1);
  EXPECT_EQ(A.Count(), 1);
  TStringList NotACollection;
  EXPECT_THROW(A.Assign(&NotACollection), EConvertError);
}

namespace {

std::string Repeat(const std::string& S, int Count) {
  std::string R;
  R.reserve(S.size() * static_cast<size_t>(Count));
  for (int I = 0; I < Count; ++I) R += S;
  return R;
}

// The message of the error that reading Bytes (text or binary) into a fresh
// root raises, or "" when it reads.
std::string ReadError(const std::string& Bytes) {
  auto Root = NewRoot();
  try {
    TStringStream S(Bytes);
    ReadComponentLayout(&S, Root.get());
  } catch (const EReadError& E) {
    return E.Message();
  }
  return "";
}

}  // namespace

TEST(Layout, NestingBeyondAThousandLevelsIsRefused) {
  EnsureRegistered();
  // Deep enough to have exhausted the stack of the text parser.
  const int Deep = 13000;
  const std::string Head = "object R: TTestRoot\n  Number = 1\n  ";
  const std::string Lists = Head + "Lines.Strings = " + Repeat("(", Deep) + Repeat(")", Deep) + "\nend\n";
  const std::string Items = Head + "Items = " + Repeat("< item Width = ", Deep) + "1" + Repeat(" end >", Deep) + "\nend\n";
  const std::string Objects = Head + Repeat("object A: TTestNode\n", Deep) + Repeat("end\n", Deep) + "end\n";
  // The root is the first level: the thousandth nested object is on line 1002.
  EXPECT_EQ(ReadError(Lists), WideToAnsi(L"Wiersz 3: Układ zagnieżdżony zbyt głęboko"));
  EXPECT_EQ(ReadError(Items), WideToAnsi(L"Wiersz 3: Układ zagnieżdżony zbyt głęboko"));
  EXPECT_EQ(ReadError(Objects), WideToAnsi(L"Wiersz 1002: Układ zagnieżdżony zbyt głęboko"));

  // The binary form, as deep as it exhausted the stack of the reader.
  TFormBytes ListBytes;
  ListBytes.Raw("TPF0").Object("TTestRoot", "R").Prop("Lines.Strings");
  ListBytes.Raw(std::string(22000, static_cast<char>(vaList)) + std::string(22001, static_cast<char>(vaNull)));
  TFormBytes CollectionBytes;
  CollectionBytes.Raw("TPF0").Object("TTestRoot", "R").Prop("Items");
  for (int I = 0; I < 22000; ++I) CollectionBytes.Byte(vaCollection).Byte(vaList).Prop("Width");
  CollectionBytes.Int8(1).Raw(std::string(2 * 22000, static_cast<char>(vaNull))).End().End();
  TFormBytes ObjectBytes;
  ObjectBytes.Raw("TPF0").Object("TTestRoot", "R").End();
  for (int I = 0; I < 20000; ++I) ObjectBytes.Object("TTestNode", "").End();
  ObjectBytes.Raw(std::string(20001, static_cast<char>(vaNull)));
  for (const TFormBytes* B : {&ListBytes, &CollectionBytes, &ObjectBytes}) {
    const std::string Message = ReadError(B->S);
    EXPECT_NE(Message.find(WideToAnsi(L"Układ zagnieżdżony zbyt głęboko")), std::string::npos) << Message;
  }

  // Real layouts nest a few levels; up to the limit they still read.
  const std::string AtTheLimit = "object R: TTestRoot\n" + Repeat("object TTestNode\n", 999) + Repeat("end\n", 999) +
                                 "object First: TTestNode\nend\nobject Second: TTestNode\nend\n"
                                 "object Inner: TTestNode\nend\nend\n";
  EXPECT_EQ(ReadError(AtTheLimit), "");
}
