#include "XmlDocument.h"

#include "FileWrite.h"

#include <QByteArrayView>

#include <algorithm>
#include <atomic>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <unordered_map>

namespace {

// Compiled XPath queries, kept per thread by their text. Queries are formatted with
// channel indexes and component ids, so the set is bounded by the document; the cap
// only guards against a run away caller.
constexpr std::size_t kQueryCacheLimit = 4096;
// Results remembered per thread until any document changes; the cap bounds a thread that
// reads many documents without changing one.
constexpr std::size_t kResultCacheLimit = 16384;

// Counts the changes made to any document: loads, copies, edits through a node or through
// NoteXmlEdited, and documents destroyed. A remembered query result is used only while the
// count is the one it was found at.
std::atomic<std::uint64_t> g_documentChanges{0};

void noteDocumentChange() {
    g_documentChanges.fetch_add(1, std::memory_order_acq_rel);
}

// The code of a text in the wrong encoding, next to the parser's own codes.
constexpr HRESULT kInvalidEncoding = MakeHResult(0xC00CE5FFu);
// The code of an element that names one attribute twice.
constexpr HRESULT kRepeatedAttribute = MakeHResult(0xC00CE5FEu);

// Finds the first element, in document order, that names an attribute twice. The parser
// takes such an element as it stands, but a text with one is not well-formed XML, and which
// of the two values a reader sees would depend on how it looks. The walk is the parser's
// own, which does not recurse: a hostile text may nest deeply.
class RepeatedAttributeFinder : public pugi::xml_tree_walker {
public:
    bool for_each(pugi::xml_node& node) override {
        m_names.clear();
        for (pugi::xml_attribute attribute : node.attributes())
            m_names.emplace_back(attribute.name());
        std::sort(m_names.begin(), m_names.end());
        const auto twice = std::adjacent_find(m_names.begin(), m_names.end());
        if (twice == m_names.end())
            return true;
        element = node;
        attribute = std::string(*twice);
        return false;
    }

    pugi::xml_node element; // null when none is found
    std::string attribute;

private:
    std::vector<std::string_view> m_names;
};

// Set when this thread's cache is destroyed. Objects that outlive it (a static whose
// destructor reads the document, at exit) still get their queries, compiled each time.
// A bool has no destructor, so it can be read until the thread ends.
thread_local bool t_queryCacheGone = false;

// A query from one context node: the result does not change while no document does.
struct ResultKey {
    const void* context;
    std::string xpath;
};
struct ResultKeyView {
    const void* context;
    std::string_view xpath;
};
struct ResultKeyHash {
    using is_transparent = void;
    std::size_t operator()(const ResultKeyView& key) const {
        return std::hash<std::string_view>()(key.xpath) ^
               (std::hash<const void*>()(key.context) << 1);
    }
    std::size_t operator()(const ResultKey& key) const {
        return (*this)(ResultKeyView{key.context, key.xpath});
    }
};
struct ResultKeyEqual {
    using is_transparent = void;
    static ResultKeyView view(const ResultKey& key) { return {key.context, key.xpath}; }
    static ResultKeyView view(const ResultKeyView& key) { return key; }
    template <class A, class B> bool operator()(const A& a, const B& b) const {
        return view(a).context == view(b).context && view(a).xpath == view(b).xpath;
    }
};
template <class Result>
using ResultMap = std::unordered_map<ResultKey, Result, ResultKeyHash, ResultKeyEqual>;

// The rows of a page evaluate the same bindings and conditions many times between two
// changes (to lay out, to mark changes, to review), and a query with '//' walks the whole
// document: each result is found once per state of the documents.
struct QueryResults {
    std::uint64_t changes = 0;
    ResultMap<pugi::xpath_node> nodes;
    ResultMap<std::vector<pugi::xpath_node>> nodeSets;

    // The result remembered for the query, or null. Everything is forgotten first when a
    // document changed since the results were found.
    template <class Result>
    const Result* find(ResultMap<Result>& results, const ResultKeyView& key) {
        const std::uint64_t now = g_documentChanges.load(std::memory_order_acquire);
        if (now != changes || nodes.size() + nodeSets.size() >= kResultCacheLimit) {
            nodes.clear();
            nodeSets.clear();
            changes = now;
        }
        const auto found = results.find(key);
        return found == results.end() ? nullptr : &found->second;
    }

    template <class Result>
    void keep(ResultMap<Result>& results, const ResultKeyView& key, Result result) {
        results.emplace(ResultKey{key.context, std::string(key.xpath)}, std::move(result));
    }
};

struct QueryCache {
    std::map<std::string, std::shared_ptr<const pugi::xpath_query>, std::less<>> queries;
    QueryResults results;
    ~QueryCache() { t_queryCacheGone = true; }
};

std::shared_ptr<const pugi::xpath_query> compile(std::string_view xpath) {
    std::shared_ptr<pugi::xpath_query> query;
    try {
        query = std::make_shared<pugi::xpath_query>(std::string(xpath).c_str());
    } catch (const pugi::xpath_exception&) {
        return nullptr;
    }
    if (!*query)
        return nullptr;
    return query;
}

QueryCache* threadCache() {
    if (t_queryCacheGone)
        return nullptr;
    thread_local QueryCache cache;
    return &cache;
}

std::shared_ptr<const pugi::xpath_query> compiledQuery(std::string_view xpath) {
    QueryCache* threads = threadCache();
    if (!threads)
        return compile(xpath);
    QueryCache& cache = *threads;
    if (auto found = cache.queries.find(xpath); found != cache.queries.end())
        return found->second;
    std::shared_ptr<const pugi::xpath_query> query = compile(xpath);
    if (!query)
        return nullptr;
    if (cache.queries.size() >= kQueryCacheLimit)
        cache.queries.clear();
    return cache.queries.emplace(std::string(xpath), std::move(query)).first->second;
}

XmlNode fromXPathNode(const pugi::xpath_node& found) {
    if (found.attribute())
        return XmlNode(found.parent(), found.attribute());
    return XmlNode(found.node());
}

std::string nameOf(std::string_view name) {
    return std::string(name);
}

} // namespace

std::string XmlNode::name() const {
    return m_attribute ? m_attribute.name() : m_node.name();
}

std::string XmlNode::value() const {
    if (m_attribute)
        return m_attribute.value();
    return m_node.text().get();
}

namespace {

XmlChangeObserver g_changeObserver = nullptr;

void changed(pugi::xml_node element, std::string_view attribute) {
    noteDocumentChange();
    if (g_changeObserver && element)
        g_changeObserver(element, attribute);
}

// Tells of a child element added, when it was.
XmlNode added(pugi::xml_node parent, pugi::xml_node child) {
    if (child)
        changed(parent, {});
    return XmlNode(child);
}

} // namespace

void SetXmlChangeObserver(XmlChangeObserver observer) {
    g_changeObserver = observer;
}

void NoteXmlEdited() {
    noteDocumentChange();
}

HRESULT XmlNode::setValue(std::string_view text) const {
    if (!m_attribute)
        return E_POINTER;
    m_attribute.set_value(nameOf(text).c_str());
    changed(m_node, m_attribute.name());
    return S_OK;
}

bool XmlNode::hasAttribute(std::string_view name) const {
    return !m_attribute && m_node.attribute(nameOf(name).c_str());
}

std::string XmlNode::attribute(std::string_view name, std::string_view fallback) const {
    if (m_attribute)
        return std::string(fallback);
    const pugi::xml_attribute found = m_node.attribute(nameOf(name).c_str());
    return found ? found.value() : std::string(fallback);
}

void XmlNode::setAttribute(std::string_view name, std::string_view value) const {
    if (m_attribute || m_node.type() != pugi::node_element)
        return;
    const std::string key = nameOf(name);
    pugi::xml_attribute found = m_node.attribute(key.c_str());
    if (!found)
        found = m_node.append_attribute(key.c_str());
    found.set_value(nameOf(value).c_str());
    changed(m_node, key);
}

bool XmlNode::removeAttribute(std::string_view name) const {
    const std::string key = nameOf(name);
    if (m_attribute || !m_node.remove_attribute(key.c_str()))
        return false;
    changed(m_node, key);
    return true;
}

HRESULT XmlNode::selectSingleNode(std::string_view xpath, XmlNode& out) const {
    out = XmlNode();
    QueryCache* cache = m_node ? threadCache() : nullptr;
    const ResultKeyView key{m_node.internal_object(), xpath};
    if (cache) {
        if (const pugi::xpath_node* found = cache->results.find(cache->results.nodes, key)) {
            out = fromXPathNode(*found);
            return *found ? S_OK : S_FALSE;
        }
    }
    const std::shared_ptr<const pugi::xpath_query> query = compiledQuery(xpath);
    if (!query)
        return E_FAIL;
    if (!m_node)
        return S_FALSE;
    try {
        const pugi::xpath_node found = query->evaluate_node(m_node);
        if (cache)
            cache->results.keep(cache->results.nodes, key, found);
        if (!found)
            return S_FALSE;
        out = fromXPathNode(found);
        return S_OK;
    } catch (const pugi::xpath_exception&) {
        // A query whose result is not a node set cannot select nodes.
        return E_FAIL;
    }
}

XmlNode XmlNode::selectSingleNode(std::string_view xpath) const {
    XmlNode found;
    selectSingleNode(xpath, found);
    return found;
}

HRESULT XmlNode::selectNodes(std::string_view xpath, XmlNodeList& out) const {
    out.clear();
    QueryCache* cache = m_node ? threadCache() : nullptr;
    const ResultKeyView key{m_node.internal_object(), xpath};
    if (cache) {
        if (const auto* found = cache->results.find(cache->results.nodeSets, key)) {
            std::transform(found->begin(), found->end(), std::back_inserter(out), fromXPathNode);
            return S_OK;
        }
    }
    const std::shared_ptr<const pugi::xpath_query> query = compiledQuery(xpath);
    if (!query)
        return E_FAIL;
    if (!m_node)
        return S_OK;
    try {
        const pugi::xpath_node_set found = query->evaluate_node_set(m_node);
        out.reserve(found.size());
        for (const pugi::xpath_node& each : found)
            out.push_back(fromXPathNode(each));
        if (cache)
            cache->results.keep(cache->results.nodeSets, key,
                                std::vector<pugi::xpath_node>(found.begin(), found.end()));
        return S_OK;
    } catch (const pugi::xpath_exception&) {
        return E_FAIL;
    }
}

XmlNodeList XmlNode::selectNodes(std::string_view xpath) const {
    XmlNodeList found;
    selectNodes(xpath, found);
    return found;
}

XmlNode XmlNode::parent() const {
    if (m_attribute)
        return XmlNode(m_node);
    return XmlNode(m_node.parent());
}

XmlNode XmlNode::firstChild(std::string_view name) const {
    if (m_attribute)
        return {};
    return XmlNode(name.empty() ? m_node.first_child() : m_node.child(nameOf(name).c_str()));
}

XmlNode XmlNode::nextSibling(std::string_view name) const {
    if (m_attribute)
        return {};
    return XmlNode(name.empty() ? m_node.next_sibling()
                                : m_node.next_sibling(nameOf(name).c_str()));
}

XmlNode XmlNode::appendElement(std::string_view name) const {
    if (m_attribute)
        return {};
    return added(m_node, m_node.append_child(nameOf(name).c_str()));
}

XmlNode XmlNode::insertElementAfter(std::string_view name, const XmlNode& after) const {
    if (m_attribute)
        return {};
    return added(m_node, m_node.insert_child_after(nameOf(name).c_str(), after.m_node));
}

XmlNode XmlNode::insertElementBefore(std::string_view name, const XmlNode& before) const {
    if (m_attribute)
        return {};
    return added(m_node, m_node.insert_child_before(nameOf(name).c_str(), before.m_node));
}

bool XmlNode::removeChild(const XmlNode& child) const {
    if (m_attribute || child.m_attribute || child.m_node.parent() != m_node)
        return false;
    if (!m_node.remove_child(child.m_node))
        return false;
    changed(m_node, {});
    return true;
}

std::string XmlNode::xml() const {
    if (m_attribute)
        return value();
    std::ostringstream out;
    m_node.print(out, "", pugi::format_raw, pugi::encoding_utf8);
    return out.str();
}

HRESULT XmlDocument::loadXml(std::string_view text) {
    return load(text, pugi::encoding_utf8);
}

HRESULT XmlDocument::loadBytes(std::string_view bytes) {
    const HRESULT hr = load(bytes, pugi::encoding_auto);
    if (hr != S_OK)
        return hr;
    if (m_loadedEncoding == pugi::encoding_utf8) {
        // The parser takes undeclared bytes as UTF-8 without checking them.
        if (!QByteArrayView(bytes.data(), bytes.size()).isValidUtf8()) {
            m_document.reset();
            keepParseError(bytes, "The text is not UTF-8 and declares no other encoding", 0,
                           kInvalidEncoding);
            return S_FALSE;
        }
    }
    // The content is UTF-8 now: a declaration naming the file's encoding would be false.
    // (load counted this document's change; nothing is asked of it before this returns.)
    for (pugi::xml_node node = m_document.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_declaration)
            node.remove_attribute("encoding");
    }
    return S_OK;
}

XmlDocument::~XmlDocument() {
    noteDocumentChange();
}

HRESULT XmlDocument::load(std::string_view text, pugi::xml_encoding encoding) {
    noteDocumentChange();
    m_parseError.reset();
    const pugi::xml_parse_result result =
        m_document.load_buffer(text.data(), text.size(), pugi::parse_default, encoding);
    m_loadedEncoding = result.encoding;
    if (result && m_document.document_element()) {
        RepeatedAttributeFinder repeated;
        m_document.traverse(repeated);
        if (!repeated.element)
            return S_OK;
        const std::ptrdiff_t at = repeated.element.offset_debug();
        const std::size_t offset = std::min<std::size_t>(at < 0 ? 0 : at, text.size());
        const std::string reason = "Attribute '" + repeated.attribute +
                                   "' is given twice on element '" + repeated.element.name() + "'";
        m_document.reset();
        keepParseError(text, reason, offset, kRepeatedAttribute);
        return S_FALSE;
    }

    const auto status = result ? pugi::status_no_document_element : result.status;
    const std::size_t offset = std::min<std::size_t>(
        result ? text.size() : static_cast<std::size_t>(result.offset), text.size());
    m_document.reset();
    // Distinct codes in the parser's error range, one per kind of fault.
    keepParseError(text, result ? "No document element" : result.description(), offset,
                   MakeHResult(0xC00CE500u + static_cast<std::uint32_t>(status)));
    return S_FALSE;
}

std::string XmlParseError::Position() const {
    return "line " + std::to_string(line) + ", column " + std::to_string(linePos) + ": " + reason;
}

void XmlDocument::keepParseError(std::string_view text, std::string reason, std::size_t offset,
                                 HRESULT code) {
    XmlParseError error;
    error.errorCode = code;
    error.reason = std::move(reason);
    const std::size_t lineStart = text.rfind('\n', offset == 0 ? 0 : offset - 1);
    const std::size_t begin =
        (lineStart == std::string_view::npos || offset == 0) ? 0 : lineStart + 1;
    std::size_t end = text.find('\n', begin);
    if (end == std::string_view::npos)
        end = text.size();
    error.line = 1 + static_cast<long>(std::count(text.begin(), text.begin() + begin, '\n'));
    error.linePos = 1 + static_cast<long>(offset - begin);
    error.srcText = std::string(text.substr(begin, std::min<std::size_t>(end - begin, 512)));
    if (!error.srcText.empty() && error.srcText.back() == '\r')
        error.srcText.pop_back();
    m_parseError = std::move(error);
}

void XmlDocument::copyFrom(const XmlDocument& other) {
    noteDocumentChange();
    m_document.reset(other.m_document);
    m_parseError.reset();
}

void XmlDocument::replaceContent(XmlDocument&& other) {
    noteDocumentChange();
    m_document = std::move(other.m_document);
    m_parseError.reset();
    other.m_document.reset();
}

std::string XmlDocument::xml() const {
    std::ostringstream out;
    m_document.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}

HRESULT XmlDocument::save(const QString& path) const {
    return WriteFileAtomically(path, xml());
}

std::string XPathLiteral(std::string_view value) {
    if (value.find('"') == std::string_view::npos)
        return "\"" + std::string(value) + "\"";
    if (value.find('\'') == std::string_view::npos)
        return "'" + std::string(value) + "'";
    // Both quotes: join the pieces between double quotes with concat(), giving each
    // double quote its own apostrophe-quoted piece.
    std::string result = "concat(";
    std::size_t start = 0;
    bool first = true;
    while (start <= value.size()) {
        const std::size_t quote = value.find('"', start);
        const std::string_view piece =
            value.substr(start, quote == std::string_view::npos ? value.npos : quote - start);
        if (!piece.empty()) {
            result += (first ? "" : ", ") + ("\"" + std::string(piece) + "\"");
            first = false;
        }
        if (quote == std::string_view::npos)
            break;
        result += first ? "'\"'" : ", '\"'";
        first = false;
        start = quote + 1;
    }
    return result + ")";
}
