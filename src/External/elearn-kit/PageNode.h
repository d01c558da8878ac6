// The nodes of a page-settings document, as the page panel reads them: a
// child by name, an attribute by name (none when missing), the n-th child
// and the node's text. Two kinds: the platform's XML document object
// ("Msxml2.DOMDocument.3.0" over COM) and a tree built in memory.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "SysUtils.h"
#include "System.h"

FRAMEWORK_EXCEPTION(EPageNodeError, Exception)

class IPageNode;
using TPageNode = std::shared_ptr<IPageNode>;

class IPageNode {
public:
  virtual ~IPageNode() = default;
  // The first child element named Name; nullptr when there is none.
  virtual TPageNode FindChild(const WideString& Name) = 0;
  virtual std::optional<WideString> Attribute(const WideString& Name) = 0;
  // The Index-th child node (from 0); nullptr when there is none.
  virtual TPageNode FindItem(int Index) = 0;
  // The text of the node and all it holds.
  virtual WideString Text() = 0;

  // FindChild and FindItem that raise EPageNodeError for a missing node.
  TPageNode Child(const WideString& Name);
  TPageNode Item(int Index);
};

// Attribute values: an integer is decimal with an optional sign, in 32
// bits; a Boolean is "true" or "false" in any case, or an integer (non-zero
// is true). A missing value gives Default; anything else raises
// EPageNodeError.
int NodeInteger(const std::optional<WideString>& Value, int Default);
bool NodeBoolean(const std::optional<WideString>& Value, bool Default);
WideString NodeString(const std::optional<WideString>& Value, const WideString& Default);

// A node of a tree built in code.
class TMemoryPageNode : public IPageNode, public std::enable_shared_from_this<TMemoryPageNode> {
public:
  explicit TMemoryPageNode(WideString Name, WideString Text = WideString()) : FName(std::move(Name)), FText(std::move(Text)) {}

  const WideString& Name() const { return FName; }
  // Adds a child and returns it, for building trees in a row.
  std::shared_ptr<TMemoryPageNode> Add(const WideString& Name, const WideString& Text = WideString());
  TMemoryPageNode* Set(const WideString& Name, const WideString& Value);
  void Remove(const WideString& AttributeName) { FAttributes.erase(AttributeName); }

  TPageNode FindChild(const WideString& Name) override;
  std::optional<WideString> Attribute(const WideString& Name) override;
  TPageNode FindItem(int Index) override;
  WideString Text() override;

private:
  WideString FName;
  WideString FText;
  std::map<WideString, WideString> FAttributes;
  std::vector<std::shared_ptr<TMemoryPageNode>> FChildren;
};

// The document element of the XML text Xml, read by the platform's XML
// document object; EPageNodeError when the object cannot be made or the
// text is not well formed. COM must be initialised on the thread.
TPageNode LoadPageDocument(const WideString& Xml);
