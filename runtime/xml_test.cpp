#include "runtime/xml.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

namespace rt {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Pair;

// Element name to the value of its first child, as the configuration files are read.
std::map<std::string, std::string> entries(const Xml& root) {
    std::map<std::string, std::string> out;
    for (const Xml& element : root.elements()) {
        const std::optional<Xml> first = element.firstChild();
        out[element.name()] = first ? first->value() : "";
    }
    return out;
}

TEST(XmlTest, ReadsAConfigurationDocument) {
    const Xml document = Xml::parse(
        "<?xml version=\"1.0\"?>\n<data>\n  <ver>1.0.3</ver>\n  <games>a,b</games>\n"
        "  <site>http://{domain}.example/&amp;x</site>\n  <empty/>\n</data>\n");
    const std::optional<Xml> root = document.firstElement();
    ASSERT_TRUE(root.has_value());
    EXPECT_EQ(root->name(), "data");
    EXPECT_EQ(root->type(), Xml::Type::Element);
    EXPECT_THAT(entries(*root),
                ElementsAre(Pair("empty", ""), Pair("games", "a,b"),
                            Pair("site", "http://{domain}.example/&x"), Pair("ver", "1.0.3")));
}

TEST(XmlTest, ReadsSeveralTopLevelElementsAndTheirAttributes) {
    const Xml list = Xml::parse(
        "<f md5=\"aa11\" dep=\"poker,@gameall\">\\poker\\a.dll</f>"
        "<file md5=\"bb22\" pname=\"p\" dep=\"chess\">\\chess\\b.dat</file>");
    const std::vector<Xml> files = list.elements();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].attribute("dep"), "poker,@gameall");
    EXPECT_EQ(files[0].firstChild()->value(), "\\poker\\a.dll");
    EXPECT_EQ(files[1].attribute("md5"), "bb22");
    EXPECT_FALSE(files[1].attribute("missing").has_value());
    EXPECT_THAT(files[1].attributes(),
                ElementsAre(Pair("md5", "bb22"), Pair("pname", "p"), Pair("dep", "chess")));
    EXPECT_THAT(list.elementsNamed("f"), ::testing::SizeIs(1));
}

TEST(XmlTest, ChildrenAndInnerTextIncludeNestedText) {
    const Xml document = Xml::parse("<a>one<b>two<![CDATA[<3>]]></b><!--note-->three</a>");
    const Xml a = *document.firstElement();
    EXPECT_EQ(a.innerText(), "onetwo<3>three");
    const std::vector<Xml> children = a.children();
    ASSERT_EQ(children.size(), 4u);
    EXPECT_EQ(children[0].type(), Xml::Type::Text);
    EXPECT_EQ(children[2].type(), Xml::Type::Comment);
    EXPECT_EQ(children[2].value(), "note");
    EXPECT_EQ(children[1].parent()->name(), "a");
}

TEST(XmlTest, ABuiltDocumentPrintsAndParsesBackTheSame) {
    Xml document = Xml::createDocument();
    Xml config = document.addElement("config");
    Xml item = config.addElement("item");
    item.setAttribute("name", "x&y");
    item.setAttribute("value", "\"quoted\" <tag>");
    item.setAttribute("name", "renamed");
    config.addElement("note").addText("a < b & c");

    const std::string text = document.toString();
    const Xml again = Xml::parse(text);
    const Xml readItem = again.firstElement()->elementsNamed("item").at(0);
    EXPECT_THAT(readItem.attributes(),
                ElementsAre(Pair("name", "renamed"), Pair("value", "\"quoted\" <tag>")));
    EXPECT_EQ(again.firstElement()->elementsNamed("note").at(0).innerText(), "a < b & c");
    EXPECT_EQ(again.toString(), text);
}

TEST(XmlTest, DeclarationAndCommentsSurviveARoundTrip) {
    const std::string text = "<?xml version=\"1.0\"?><!--kept--><data><ver>1</ver></data>";
    const Xml document = Xml::parse(text);
    EXPECT_EQ(document.firstElement()->name(), "data");
    EXPECT_EQ(document.firstChild()->type(), Xml::Type::ProcessingInstruction);
    EXPECT_EQ(document.toString(), text);
}

TEST(XmlTest, ErrorsSayWhatWentWrong) {
    try {
        Xml::parse("<data><ver>1</data>");
        FAIL() << "mismatched tags parsed";
    } catch (const XmlError& error) {
        EXPECT_THAT(error.what(), HasSubstr("offset"));
    }
    Xml document = Xml::parse("<a>text</a>");
    Xml text = *document.firstElement()->firstChild();
    EXPECT_THROW(text.setAttribute("x", "y"), XmlError);
    EXPECT_THROW(text.addElement("b"), XmlError);
}

TEST(XmlTest, NodesKeepTheirDocumentAlive) {
    std::optional<Xml> item;
    {
        const Xml document = Xml::parse("<config><item name=\"x\" value=\"y\"/></config>");
        item = document.firstElement()->firstElement();
    }
    EXPECT_EQ(item->attribute("value"), "y");
    EXPECT_EQ(item->parent()->name(), "config");
}

}  // namespace
}  // namespace rt
