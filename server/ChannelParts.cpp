#include "ChannelParts.h"

#include "platform/Variant.h"
#include "platform/XmlDocument.h"

#include <charconv>
#include <set>

namespace {

ChannelParts partsOfText(const std::string& text) {
    XmlDocument document;
    return document.loadXml(text) == S_OK ? ChannelPartsOf(document) : ChannelParts();
}

} // namespace

std::optional<int> ChannelSlot(const XmlNode& channel) {
    const std::string text = channel.attribute("channelIndex");
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::nullopt;
    const char* end = text.data() + text.find_last_not_of(" \t\r\n") + 1;
    int slot = -1;
    const auto [stop, error] = std::from_chars(text.data() + first, end, slot);
    if (error != std::errc() || stop != end || slot < 0 || slot >= kChannelSlots)
        return std::nullopt;
    return slot;
}

ChannelParts ChannelPartsOf(const XmlDocument& document) {
    ChannelParts parts;
    const XmlNode root = document.documentNode();
    for (const XmlNode& channel : root.selectNodes("/Config/Channel")) {
        const std::optional<int> slot = ChannelSlot(channel);
        if (!slot)
            continue;
        std::string part = channel.xml();
        std::set<std::string> seen;
        for (const XmlNode& reference : channel.selectNodes(".//*[@id]")) {
            const std::string id = reference.attribute("id");
            if (!seen.insert(id).second)
                continue;
            for (const XmlNode& component :
                 root.selectNodes("/Config/*[@id=" + XPathLiteral(id) + "]"))
                part += component.xml();
        }
        parts[*slot] = ChannelPart{channel.attribute("id"), std::move(part)};
    }
    return parts;
}

std::vector<int> ChangedChannels(const std::string& before, const std::string& after) {
    return ChangedChannels(partsOfText(before), partsOfText(after));
}

std::vector<int> ChangedChannels(const ChannelParts& before, const ChannelParts& after) {
    std::set<int> changed;
    for (const auto& [slot, part] : after) {
        const auto found = before.find(slot);
        if (found == before.end() || found->second.text != part.text)
            changed.insert(slot);
    }
    for (const auto& [slot, part] : before) {
        if (!after.count(slot))
            changed.insert(slot);
    }
    return {changed.begin(), changed.end()};
}

HRESULT ChannelSlotOf(const Variant& index, int& slot) {
    std::int32_t number = -1;
    if (index.type() != Variant::Type::Int32 || FAILED(index.toInt32(number)))
        return DISP_E_TYPEMISMATCH;
    if (number < 0 || number >= kChannelSlots)
        return E_INVALIDARG;
    slot = number;
    return S_OK;
}
