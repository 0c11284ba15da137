#include "runtime/xml.h"

#include "runtime/text_escape.h"

#include <pugixml.hpp>

#include <sstream>

namespace rt {
namespace {

std::string describe(const pugi::xml_node& node) {
    return node.type() == pugi::node_element ? "element <" + std::string(node.name()) + ">"
                                             : "a node that is not an element";
}

}  // namespace

Xml::Xml(std::shared_ptr<pugi::xml_document> document, pugi::xml_node_struct* node)
    : document_(std::move(document)), node_(node) {}

Xml Xml::parse(std::string_view text) {
    auto document = std::make_shared<pugi::xml_document>();
    const pugi::xml_parse_result result = document->load_buffer(
        text.data(), text.size(), pugi::parse_full | pugi::parse_fragment, pugi::encoding_utf8);
    if (!result) {
        throw XmlError("Could not parse XML at offset " + std::to_string(result.offset) + ": " +
                       result.description());
    }
    pugi::xml_node_struct* root = document->internal_object();
    return Xml(std::move(document), root);
}

Xml Xml::createDocument() {
    auto document = std::make_shared<pugi::xml_document>();
    pugi::xml_node_struct* root = document->internal_object();
    return Xml(std::move(document), root);
}

Xml::Type Xml::type() const {
    switch (pugi::xml_node(node_).type()) {
        case pugi::node_element:
            return Type::Element;
        case pugi::node_pcdata:
            return Type::Text;
        case pugi::node_cdata:
            return Type::CData;
        case pugi::node_comment:
            return Type::Comment;
        case pugi::node_pi:
        case pugi::node_declaration:
            return Type::ProcessingInstruction;
        case pugi::node_doctype:
            return Type::DocType;
        default:
            return Type::Document;
    }
}

std::string Xml::name() const {
    const pugi::xml_node node(node_);
    return node.type() == pugi::node_element ? node.name() : "";
}

std::string Xml::value() const {
    return pugi::xml_node(node_).value();
}

std::string Xml::innerText() const {
    const pugi::xml_node node(node_);
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) return node.value();
    std::string out;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_comment || child.type() == pugi::node_pi) continue;
        out += Xml(document_, child.internal_object()).innerText();
    }
    return out;
}

std::vector<Xml> Xml::children() const {
    std::vector<Xml> out;
    for (pugi::xml_node child : pugi::xml_node(node_).children()) {
        out.push_back(Xml(document_, child.internal_object()));
    }
    return out;
}

std::optional<Xml> Xml::firstChild() const {
    const pugi::xml_node child = pugi::xml_node(node_).first_child();
    if (!child) return std::nullopt;
    return Xml(document_, child.internal_object());
}

std::vector<Xml> Xml::elements() const {
    std::vector<Xml> out;
    for (pugi::xml_node child : pugi::xml_node(node_).children()) {
        if (child.type() == pugi::node_element)
            out.push_back(Xml(document_, child.internal_object()));
    }
    return out;
}

std::vector<Xml> Xml::elementsNamed(std::string_view name) const {
    std::vector<Xml> out;
    for (pugi::xml_node child : pugi::xml_node(node_).children()) {
        if (child.type() == pugi::node_element && name == child.name()) {
            out.push_back(Xml(document_, child.internal_object()));
        }
    }
    return out;
}

std::optional<Xml> Xml::firstElement() const {
    for (pugi::xml_node child : pugi::xml_node(node_).children()) {
        if (child.type() == pugi::node_element) return Xml(document_, child.internal_object());
    }
    return std::nullopt;
}

std::optional<Xml> Xml::parent() const {
    const pugi::xml_node up = pugi::xml_node(node_).parent();
    if (!up) return std::nullopt;
    return Xml(document_, up.internal_object());
}

std::optional<std::string> Xml::attribute(std::string_view name) const {
    for (pugi::xml_attribute attribute : pugi::xml_node(node_).attributes()) {
        if (name == attribute.name()) return std::string(attribute.value());
    }
    return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> Xml::attributes() const {
    std::vector<std::pair<std::string, std::string>> out;
    for (pugi::xml_attribute attribute : pugi::xml_node(node_).attributes()) {
        out.emplace_back(attribute.name(), attribute.value());
    }
    return out;
}

void Xml::setAttribute(std::string_view name, std::string_view value) {
    pugi::xml_node node(node_);
    if (node.type() != pugi::node_element) {
        throw XmlError("Cannot set attribute " + std::string(name) + " on " + describe(node));
    }
    const std::string key(name);
    pugi::xml_attribute attribute = node.attribute(key.c_str());
    if (!attribute) attribute = node.append_attribute(key.c_str());
    attribute.set_value(std::string(value).c_str());
}

Xml Xml::addElement(std::string_view name) {
    pugi::xml_node node(node_);
    if (node.type() != pugi::node_element && node.type() != pugi::node_document) {
        throw XmlError("Cannot add element <" + std::string(name) + "> to " + describe(node));
    }
    pugi::xml_node child = node.append_child(std::string(name).c_str());
    return Xml(document_, child.internal_object());
}

void Xml::addText(std::string_view text) {
    pugi::xml_node node(node_);
    if (node.type() != pugi::node_element) {
        throw XmlError("Cannot add text to " + describe(node));
    }
    node.append_child(pugi::node_pcdata).set_value(std::string(text).c_str());
}

std::string Xml::toString() const {
    std::ostringstream out;
    pugi::xml_node(node_).print(out, "", pugi::format_raw);
    return out.str();
}

std::string escapeXmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendEscaped(out, text,
                  {{'&', "&amp;"},
                   {'<', "&lt;"},
                   {'>', "&gt;"},
                   {'"', "&quot;"},
                   {' ', "&#32;"},
                   {'\t', "&#9;"},
                   {'\n', "&#10;"},
                   {'\r', "&#13;"}});
    return out;
}

}  // namespace rt
