#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pugi {
class xml_document;
struct xml_node_struct;
}  // namespace pugi

namespace rt {

// Text that cannot be read as XML, or an operation the node's type does not allow.
class XmlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A node of a parsed or built XML document. Nodes are small handles; every handle keeps its
// document alive. A document may hold several top-level elements and top-level text.
class Xml {
public:
    enum class Type { Document, Element, Text, CData, Comment, ProcessingInstruction, DocType };

    // Parses text into a document node, keeping comments, declarations and processing
    // instructions; entities are decoded and whitespace-only text is dropped.
    static Xml parse(std::string_view text);
    // A new empty document, to build with addElement.
    static Xml createDocument();

    Type type() const;
    // Element name; empty for other nodes.
    std::string name() const;
    // Text of a text, CDATA, comment or processing-instruction node; empty for elements and
    // documents.
    std::string value() const;
    // All text below this node, in document order.
    std::string innerText() const;

    std::vector<Xml> children() const;
    std::optional<Xml> firstChild() const;
    std::vector<Xml> elements() const;
    std::vector<Xml> elementsNamed(std::string_view name) const;
    std::optional<Xml> firstElement() const;
    std::optional<Xml> parent() const;

    std::optional<std::string> attribute(std::string_view name) const;
    // Every attribute as name and value, in document order.
    std::vector<std::pair<std::string, std::string>> attributes() const;
    // Adds or replaces an attribute; throws XmlError unless this is an element.
    void setAttribute(std::string_view name, std::string_view value);

    // Appends a child element (to a document or an element) and answers it.
    Xml addElement(std::string_view name);
    // Appends a text node to an element.
    void addText(std::string_view text);

    // The node and everything below it as XML text, without added whitespace.
    std::string toString() const;

private:
    Xml(std::shared_ptr<pugi::xml_document> document, pugi::xml_node_struct* node);

    std::shared_ptr<pugi::xml_document> document_;
    pugi::xml_node_struct* node_;
};

// The text as XML element content or attribute value that reads back byte for byte: "&", "<",
// ">" and '"' as entities, and blanks, tabs and line ends, which a reader would fold, trim or
// drop, as character references.
std::string escapeXmlText(std::string_view text);

}  // namespace rt
