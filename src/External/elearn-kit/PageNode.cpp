#include "PageNode.h"

#include <msxml2.h>
#include <oleauto.h>

#include <climits>

TPageNode IPageNode::Child(const WideString& Name) {
  TPageNode Node = FindChild(Name);
  if (!Node) throw EPageNodeError(WideToAnsi(L"Brak węzła \"" + Name + L"\""));
  return Node;
}

TPageNode IPageNode::Item(int Index) {
  TPageNode Node = FindItem(Index);
  if (!Node) throw EPageNodeError(WideToAnsi(L"Brak węzła nr ") + IntToStr(Index));
  return Node;
}

namespace {
bool ParseDecimal(const WideString& S, int& Value) {
  std::size_t I = 0;
  bool Negative = false;
  if (I < S.size() && (S[I] == L'-' || S[I] == L'+')) Negative = S[I++] == L'-';
  if (I == S.size()) return false;
  long long N = 0;
  for (; I < S.size(); ++I) {
    if (S[I] < L'0' || S[I] > L'9') return false;
    N = N * 10 + (S[I] - L'0');
    if (N > static_cast<long long>(INT_MAX) + 1) return false;
  }
  if (Negative) N = -N;
  if (N > INT_MAX || N < INT_MIN) return false;
  Value = static_cast<int>(N);
  return true;
}

EPageNodeError BadValue(const WideString& S) {
  return EPageNodeError(WideToAnsi(L"Nieprawidłowa wartość \"" + S + L"\""));
}
}  // namespace

int NodeInteger(const std::optional<WideString>& Value, int Default) {
  if (!Value) return Default;
  int N = 0;
  if (!ParseDecimal(*Value, N)) throw BadValue(*Value);
  return N;
}

bool NodeBoolean(const std::optional<WideString>& Value, bool Default) {
  if (!Value) return Default;
  WideString Lower = *Value;
  for (wchar_t& C : Lower)
    if (C >= L'A' && C <= L'Z') C = static_cast<wchar_t>(C - L'A' + L'a');
  if (Lower == L"true") return true;
  if (Lower == L"false") return false;
  int N = 0;
  if (!ParseDecimal(*Value, N)) throw BadValue(*Value);
  return N != 0;
}

WideString NodeString(const std::optional<WideString>& Value, const WideString& Default) {
  return Value ? *Value : Default;
}

// ---------------------------------------------------------------------------
// The tree in memory

std::shared_ptr<TMemoryPageNode> TMemoryPageNode::Add(const WideString& Name, const WideString& Text) {
  FChildren.push_back(std::make_shared<TMemoryPageNode>(Name, Text));
  return FChildren.back();
}

TMemoryPageNode* TMemoryPageNode::Set(const WideString& Name, const WideString& Value) {
  FAttributes[Name] = Value;
  return this;
}

TPageNode TMemoryPageNode::FindChild(const WideString& Name) {
  for (const auto& C : FChildren)
    if (C->FName == Name) return C;
  return nullptr;
}

std::optional<WideString> TMemoryPageNode::Attribute(const WideString& Name) {
  const auto It = FAttributes.find(Name);
  if (It == FAttributes.end()) return std::nullopt;
  return It->second;
}

TPageNode TMemoryPageNode::FindItem(int Index) {
  if (Index < 0 || Index >= static_cast<int>(FChildren.size())) return nullptr;
  return FChildren[static_cast<std::size_t>(Index)];
}

WideString TMemoryPageNode::Text() {
  WideString Result = FText;
  for (const auto& C : FChildren) Result += C->Text();
  return Result;
}

// ---------------------------------------------------------------------------
// The platform's XML document

namespace {
// One reference to a COM object, released with the holder.
template <class T> class TComRef {
public:
  TComRef() = default;
  explicit TComRef(T* P) : FP(P) {}
  TComRef(const TComRef& Other) : FP(Other.FP) {
    if (FP) FP->AddRef();
  }
  TComRef& operator=(const TComRef&) = delete;
  ~TComRef() {
    if (FP) FP->Release();
  }
  T* operator->() const { return FP; }
  T* Get() const { return FP; }
  T** Out() { return &FP; }
  explicit operator bool() const { return FP != nullptr; }

private:
  T* FP = nullptr;
};

class TBstr {
public:
  explicit TBstr(const WideString& S) : FS(SysAllocStringLen(S.data(), static_cast<UINT>(S.size()))) {}
  TBstr() = default;
  ~TBstr() { SysFreeString(FS); }
  TBstr(const TBstr&) = delete;
  TBstr& operator=(const TBstr&) = delete;
  BSTR Get() const { return FS; }
  BSTR* Out() { return &FS; }
  WideString Str() const { return FS ? WideString(FS, SysStringLen(FS)) : WideString(); }

private:
  BSTR FS = nullptr;
};

class TXmlPageNode : public IPageNode {
public:
  // Keeps the document alive as long as any of its nodes.
  TXmlPageNode(TComRef<IXMLDOMDocument> Document, IXMLDOMNode* Node) : FDocument(Document), FNode(Node) {}

  TPageNode FindChild(const WideString& Name) override {
    TComRef<IXMLDOMNodeList> Children;
    if (FAILED(FNode->get_childNodes(Children.Out())) || !Children) return nullptr;
    long Count = 0;
    Children->get_length(&Count);
    for (long I = 0; I < Count; ++I) {
      TComRef<IXMLDOMNode> Node;
      if (FAILED(Children->get_item(I, Node.Out())) || !Node) continue;
      DOMNodeType Type = NODE_INVALID;
      Node->get_nodeType(&Type);
      TBstr NodeName;
      if (Type == NODE_ELEMENT && SUCCEEDED(Node->get_nodeName(NodeName.Out())) && NodeName.Str() == Name)
        return Wrap(Node.Get());
    }
    return nullptr;
  }

  std::optional<WideString> Attribute(const WideString& Name) override {
    TComRef<IXMLDOMElement> Element;
    if (FAILED(FNode->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(Element.Out()))) || !Element)
      return std::nullopt;
    TBstr AttrName(Name);
    VARIANT V;
    VariantInit(&V);
    const HRESULT Hr = Element->getAttribute(AttrName.Get(), &V);
    std::optional<WideString> Result;
    if (Hr == S_OK && V.vt == VT_BSTR) Result = WideString(V.bstrVal, SysStringLen(V.bstrVal));
    VariantClear(&V);
    return Result;
  }

  TPageNode FindItem(int Index) override {
    TComRef<IXMLDOMNodeList> Children;
    if (Index < 0 || FAILED(FNode->get_childNodes(Children.Out())) || !Children) return nullptr;
    TComRef<IXMLDOMNode> Node;
    if (Children->get_item(Index, Node.Out()) != S_OK || !Node) return nullptr;
    return Wrap(Node.Get());
  }

  WideString Text() override {
    TBstr S;
    if (FAILED(FNode->get_text(S.Out()))) return WideString();
    return S.Str();
  }

private:
  TPageNode Wrap(IXMLDOMNode* Node) {
    Node->AddRef();
    return std::make_shared<TXmlPageNode>(FDocument, Node);
  }

  TComRef<IXMLDOMDocument> FDocument;
  TComRef<IXMLDOMNode> FNode;
};
}  // namespace

TPageNode LoadPageDocument(const WideString& Xml) {
  CLSID Class;
  if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &Class)))
    throw EPageNodeError("Brak obiektu dokumentu XML (Msxml2.DOMDocument.3.0)");
  TComRef<IXMLDOMDocument> Document;
  if (FAILED(CoCreateInstance(Class, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                              reinterpret_cast<void**>(Document.Out()))) ||
      !Document)
    throw EPageNodeError("Brak obiektu dokumentu XML (Msxml2.DOMDocument.3.0)");
  Document->put_async(VARIANT_FALSE);
  TBstr Text(Xml);
  VARIANT_BOOL Done = VARIANT_FALSE;
  if (FAILED(Document->loadXML(Text.Get(), &Done)) || Done != VARIANT_TRUE)
    throw EPageNodeError(WideToAnsi(L"Nieprawidłowy dokument XML"));
  TComRef<IXMLDOMElement> Root;
  if (FAILED(Document->get_documentElement(Root.Out())) || !Root) throw EPageNodeError(WideToAnsi(L"Nieprawidłowy dokument XML"));
  IXMLDOMNode* Node = nullptr;
  if (FAILED(Root->QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(&Node))) || !Node)
    throw EPageNodeError(WideToAnsi(L"Nieprawidłowy dokument XML"));
  return std::make_shared<TXmlPageNode>(Document, Node);
}
