#include "XPathAccess.h"

#include <charconv>

#include <fmt/printf.h>

namespace {

// Selects the attribute the XPath names. Returns the selection's status; a node that is
// there but is no attribute is a fault of the caller's XPath.
HRESULT selectAttribute(const XmlNode& root, std::string_view xpath, XmlNode& node) {
    const HRESULT hr = root.selectSingleNode(xpath, node);
    if (hr != S_OK)
        return hr;
    if (!node.isAttribute())
        throw ComError(E_POINTER);
    return S_OK;
}

template <class T, class Convert>
HRESULT readConverted(const XmlNode& root, std::string_view xpath, T& value, Convert convert) {
    XmlNode node;
    const HRESULT hr = selectAttribute(root, xpath, node);
    if (hr != S_OK)
        return hr;
    T converted{};
    const HRESULT conversion = convert(Variant(node.value()), converted);
    if (FAILED(conversion))
        return conversion;
    value = converted;
    return hr;
}

} // namespace

HRESULT ReadXPathValue(const XmlNode& root, std::string_view xpath, std::string& text) {
    XmlNode node;
    const HRESULT hr = selectAttribute(root, xpath, node);
    if (hr == S_OK)
        text = node.value();
    return hr;
}

HRESULT ReadXPathTypedValue(const XmlNode& root, std::string_view xpath, bool& value) {
    return readConverted(root, xpath, value,
                         [](const Variant& v, bool& out) { return v.toBool(out); });
}

HRESULT ReadXPathTypedValue(const XmlNode& root, std::string_view xpath, std::int32_t& value) {
    return readConverted(root, xpath, value,
                         [](const Variant& v, std::int32_t& out) { return v.toInt32(out); });
}

HRESULT ReadXPathTypedValue(const XmlNode& root, std::string_view xpath, std::string& value) {
    return ReadXPathValue(root, xpath, value);
}

HRESULT ReadXPathTypedValue(const XmlNode& root, std::string_view xpath, Variant& value) {
    std::string text;
    const HRESULT hr = ReadXPathValue(root, xpath, text);
    if (hr == S_OK)
        value = Variant(std::move(text));
    return hr;
}

HRESULT WriteXPathValue(const XmlNode& root, std::string_view xpath, const Variant& value) {
    XmlNode node;
    const HRESULT hr = selectAttribute(root, xpath, node);
    if (hr != S_OK)
        return hr;
    return node.setValue(value.toText());
}

void GetXmlErrorText(const XmlDocument& document, std::string& text) {
    text = "Error loading/validating XML document";
    const auto& error = document.parseError();
    if (!error)
        return;
    text = fmt::sprintf("Error loading XML document\r\n\t\t\t Error: Code = 0x%x\r\n\t\t\t "
                        "Source = Line : %ld; Char : %ld\r\n\t\t\t Description = %s\r\n\t\t\t "
                        "Text = %s",
                        static_cast<std::uint32_t>(error->errorCode), error->line, error->linePos,
                        error->reason, error->srcText);
}

std::string ChannelDisplayName(const XmlNode& channel, std::size_t position) {
    std::string name = channel.attribute("id");
    return name.empty() ? std::to_string(position + 1) : name;
}

std::string SlotDisplayName(int slot, std::initializer_list<const XmlDocument*> documents) {
    for (const XmlDocument* document : documents) {
        if (!document)
            continue;
        std::size_t position = 0;
        for (const XmlNode& channel : document->documentNode().selectNodes("/Config/Channel")) {
            if (ChannelIndexOf(channel) == slot)
                return ChannelDisplayName(channel, position);
            ++position;
        }
    }
    return std::to_string(slot + 1);
}

std::optional<int> ChannelIndexOf(const XmlNode& channel) {
    const std::string text = channel.attribute("channelIndex");
    int index = -1;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (error != std::errc() || index < 0 || std::to_string(index) != text)
        return std::nullopt;
    return index;
}

std::optional<int> UniqueChannelIndexOf(const XmlNode& channel, std::set<int>& taken) {
    std::optional<int> index = ChannelIndexOf(channel);
    if (index && !taken.insert(*index).second)
        index.reset();
    return index;
}
