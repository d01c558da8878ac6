// Page-settings nodes: the value rules, and the platform's XML document and
// the tree in memory answering alike for the same page.
#include "PageNode.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <optional>
#include <string>

namespace {

class TComEnvironment : public ::testing::Environment {
public:
  void SetUp() override { CoInitialize(nullptr); }
  void TearDown() override { CoUninitialize(); }
};

[[maybe_unused]] const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TComEnvironment);

std::optional<WideString> V(const wchar_t* S) { return WideString(S); }

TEST(PageNode, ValuesConvertOrRaise) {
  struct TCase {
    const wchar_t* Text;
    std::optional<int> Integer;  // nullopt: raises
    std::optional<bool> Boolean;
  };
  const TCase Cases[] = {
      {L"0", 0, false},
      {L"17", 17, true},
      {L"-3", -3, true},
      {L"+8", 8, true},
      {L"2147483647", 2147483647, true},
      {L"-2147483648", -2147483647 - 1, true},
      {L"2147483648", std::nullopt, std::nullopt},
      {L"99999999999999999999", std::nullopt, std::nullopt},
      {L"true", std::nullopt, true},
      {L"TRUE", std::nullopt, true},
      {L"False", std::nullopt, false},
      {L"yes", std::nullopt, std::nullopt},
      {L"", std::nullopt, std::nullopt},
      {L"-", std::nullopt, std::nullopt},
      {L" 5", std::nullopt, std::nullopt},
      {L"5 ", std::nullopt, std::nullopt},
      {L"0x10", std::nullopt, std::nullopt},
      {L"1.5", std::nullopt, std::nullopt},
      {L"\x0661", std::nullopt, std::nullopt},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(WideToAnsi(C.Text));
    if (C.Integer)
      EXPECT_EQ(NodeInteger(V(C.Text), 7), *C.Integer);
    else
      EXPECT_THROW(NodeInteger(V(C.Text), 7), EPageNodeError);
    if (C.Boolean)
      EXPECT_EQ(NodeBoolean(V(C.Text), false), *C.Boolean);
    else
      EXPECT_THROW(NodeBoolean(V(C.Text), false), EPageNodeError);
  }
  EXPECT_EQ(NodeInteger(std::nullopt, 7), 7);
  EXPECT_TRUE(NodeBoolean(std::nullopt, true));
  EXPECT_EQ(NodeString(std::nullopt, L"d"), L"d");
  EXPECT_EQ(NodeString(V(L""), L"d"), L"");
}

// The same page as XML and as a tree; what both must say of it.
const wchar_t PageXml[] =
    L"<?xml version=\"1.0\"?>\n"
    L"<page>\n"
    L"  <size margin=\"4\" margin_lr=\"\"/>\n"
    L"  <!-- a comment is a node too -->\n"
    L"  <still_images quantity=\"2\">\n"
    L"    <item><still_image show=\"true\" width=\"110\" origin_x=\"10\">obrazek \x0105.jpg</still_image></item>\n"
    L"    <item><other/></item>\n"
    L"  </still_images>\n"
    L"</page>\n";

std::shared_ptr<TMemoryPageNode> PageTree() {
  auto Page = std::make_shared<TMemoryPageNode>(L"page");
  Page->Add(L"size")->Set(L"margin", L"4")->Set(L"margin_lr", L"");
  Page->Add(L"#comment", L" a comment is a node too ");
  auto Images = Page->Add(L"still_images");
  Images->Set(L"quantity", L"2");
  Images->Add(L"item")
      ->Add(L"still_image", L"obrazek \x0105.jpg")
      ->Set(L"show", L"true")
      ->Set(L"width", L"110")
      ->Set(L"origin_x", L"10");
  Images->Add(L"item")->Add(L"other");
  return Page;
}

TEST(PageNode, TheXmlDocumentAndTheTreeAgree) {
  TPageNode FromXml = LoadPageDocument(PageXml);
  TPageNode FromTree = PageTree();
  for (const TPageNode& Page : {FromXml, FromTree}) {
    SCOPED_TRACE(Page == FromXml ? "xml" : "tree");
    const TPageNode Size = Page->Child(L"size");
    EXPECT_EQ(Size->Attribute(L"margin"), V(L"4"));
    EXPECT_EQ(Size->Attribute(L"margin_lr"), V(L""));
    EXPECT_EQ(Size->Attribute(L"margin_tb"), std::nullopt);
    EXPECT_EQ(Page->FindChild(L"missing"), nullptr);
    EXPECT_THROW(Page->Child(L"missing"), EPageNodeError);
    // Items count every child, the comment too.
    EXPECT_NE(Page->FindItem(1), nullptr);
    EXPECT_EQ(Page->FindItem(3), nullptr);
    EXPECT_EQ(Page->FindItem(-1), nullptr);
    EXPECT_THROW(Page->Item(3), EPageNodeError);
    const TPageNode Images = Page->Child(L"still_images");
    const TPageNode Still = Images->Item(0)->Child(L"still_image");
    EXPECT_EQ(Still->Text(), L"obrazek \x0105.jpg");
    EXPECT_EQ(Still->Attribute(L"width"), V(L"110"));
    EXPECT_EQ(Images->Item(1)->FindChild(L"still_image"), nullptr);
    // The text of a node holds the texts of all it holds.
    EXPECT_EQ(Images->Text(), L"obrazek \x0105.jpg");
  }
}

TEST(PageNode, ABrokenDocumentRaises) {
  for (const wchar_t* Xml : {L"", L"<page>", L"<page></pagex>", L"<a b=\"1\" b=\"2\"/>", L"just text"}) {
    SCOPED_TRACE(WideToAnsi(Xml));
    EXPECT_THROW(LoadPageDocument(Xml), EPageNodeError);
  }
}

}  // namespace
