#pragma once
// A thin wrapper over the XML engine: an in-memory document loaded from text, XPath
// selection of single nodes and node lists (compiled queries cached by their text, results
// remembered until any document changes),
// attribute access, element creation and removal, full text and atomic saving.

#include "HResult.h"

#include <pugixml.hpp>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QString;
class XmlNode;
using XmlNodeList = std::vector<XmlNode>;

// One node of a document: an element, the document node itself or an attribute.
// A default-constructed node is empty; every operation on an empty node is harmless.
class XmlNode {
public:
    XmlNode() = default;
    explicit XmlNode(pugi::xml_node node) : m_node(node) {}
    XmlNode(pugi::xml_node owner, pugi::xml_attribute attribute)
        : m_node(owner), m_attribute(attribute) {}

    bool isNull() const { return !m_node && !m_attribute; }
    explicit operator bool() const { return !isNull(); }
    bool isAttribute() const { return bool(m_attribute); }
    bool isElement() const { return !m_attribute && m_node.type() == pugi::node_element; }
    std::string name() const;

    // The attribute's value when this is an attribute, else the element's text content.
    std::string value() const;
    // Sets the attribute's value; E_POINTER when this node is not an attribute.
    HRESULT setValue(std::string_view text) const;

    // Attributes of an element.
    bool hasAttribute(std::string_view name) const;
    std::string attribute(std::string_view name, std::string_view fallback = {}) const;
    void setAttribute(std::string_view name, std::string_view value) const;
    bool removeAttribute(std::string_view name) const;

    // XPath from this node. A query that does not compile gives E_FAIL; no match gives
    // S_FALSE with an empty node.
    HRESULT selectSingleNode(std::string_view xpath, XmlNode& out) const;
    XmlNode selectSingleNode(std::string_view xpath) const;
    HRESULT selectNodes(std::string_view xpath, XmlNodeList& out) const;
    XmlNodeList selectNodes(std::string_view xpath) const;

    // Structure.
    XmlNode parent() const;
    XmlNode firstChild(std::string_view name = {}) const;
    XmlNode nextSibling(std::string_view name = {}) const;
    XmlNode appendElement(std::string_view name) const;
    XmlNode insertElementAfter(std::string_view name, const XmlNode& after) const;
    XmlNode insertElementBefore(std::string_view name, const XmlNode& before) const;
    bool removeChild(const XmlNode& child) const;

    bool operator==(const XmlNode& other) const {
        return m_node == other.m_node && m_attribute == other.m_attribute;
    }

    // The element and everything below it as text, on one line.
    std::string xml() const;

    pugi::xml_node raw() const { return m_node; }

private:
    mutable pugi::xml_node m_node; // handles: a const node may still edit its document
    mutable pugi::xml_attribute m_attribute;
};

// What the parser said about text it could not load. Line and column count from 1.
struct XmlParseError {
    HRESULT errorCode = S_OK;
    std::string reason;
    long line = -1;
    long linePos = -1;
    std::string srcText;

    // Where and why, for a person: "line 3, column 17: Start-end tags mismatch".
    std::string Position() const;
};

class XmlDocument {
public:
    XmlDocument() = default;
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Replaces the content with the parsed UTF-8 text. On a parse failure the content is
    // left empty, the error is kept for parseError() and the result is S_FALSE.
    HRESULT loadXml(std::string_view text);

    // The same for the bytes of a file, in the encoding the file declares by a byte-order
    // mark or its XML declaration (bytes that declare none must be UTF-8). The document then
    // holds UTF-8, and its declaration names no other encoding.
    HRESULT loadBytes(std::string_view bytes);

    // Replaces the content with a copy of the other document's.
    void copyFrom(const XmlDocument& other);

    // Takes the other document's content; the other is left empty. Nodes of this document
    // held elsewhere are no longer valid.
    void replaceContent(XmlDocument&& other);

    // The error of the last load, or none when it succeeded.
    const std::optional<XmlParseError>& parseError() const { return m_parseError; }

    XmlNode documentNode() const { return XmlNode(m_document); }
    XmlNode documentElement() const { return XmlNode(m_document.document_element()); }

    // The whole document as text, indented, with an XML declaration.
    std::string xml() const;

    // Writes xml() to the file so that it holds either its old content or all the new.
    HRESULT save(const QString& path) const;

private:
    HRESULT load(std::string_view text, pugi::xml_encoding encoding);
    void keepParseError(std::string_view text, std::string reason, std::size_t offset,
                        HRESULT code);

    pugi::xml_document m_document;
    std::optional<XmlParseError> m_parseError;
    pugi::xml_encoding m_loadedEncoding = pugi::encoding_utf8;
};

// Told after every change an XmlNode makes to a document: the element changed and the
// attribute's name, or an empty name when a child element was added to or removed from it.
using XmlChangeObserver = void (*)(pugi::xml_node element, std::string_view attribute);
// Installs the one observer; null removes it.
void SetXmlChangeObserver(XmlChangeObserver observer);

// Query results are remembered until a document changes. Code that edits a document through
// raw() calls this after the edit, so that no query answers from before it.
void NoteXmlEdited();

// Puts any text into an XPath string literal, quotes included, so that a quote in the
// value can neither end the literal early nor change the query.
std::string XPathLiteral(std::string_view value);
