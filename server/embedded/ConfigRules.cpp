#include "ConfigRules.h"

#include "platform/XmlDocument.h"

#include <QFile>

#include <fmt/format.h>

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

const std::vector<std::string>& ReferenceStandards() {
    static const std::vector<std::string> standards = {"Format525_29_97Hz_2To1",
                                                       "Format625_25Hz_2To1"};
    return standards;
}

std::string DefaultConfigurationText(const std::string& referenceStandard) {
    const auto& standards = ReferenceStandards();
    if (std::find(standards.begin(), standards.end(), referenceStandard) == standards.end())
        return {};
    QFile file(QStringLiteral(":/data/%1.xml").arg(QString::fromStdString(referenceStandard)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

bool IsUsableConfiguration(const std::string& text, std::string& reason) {
    XmlDocument document;
    if (document.loadXml(text) != S_OK) {
        reason = "the text is not well-formed XML";
        return false;
    }
    return IsUsableConfiguration(document, reason);
}

bool IsUsableConfiguration(const XmlDocument& document, std::string& reason) {
    const XmlNode config = document.documentElement();
    if (config.name() != "Config") {
        reason = "the root element is not Config";
        return false;
    }
    const XmlNodeList channels = config.selectNodes("Channel");
    if (channels.empty()) {
        reason = "it has no Channel element";
        return false;
    }
    if (channels.size() > kChannelSlots) {
        reason = fmt::format("it has {} channels; the server has {} channel slots", channels.size(),
                             kChannelSlots);
        return false;
    }
    std::set<int> taken;
    for (const XmlNode& channel : channels) {
        const std::optional<int> slot = ChannelSlot(channel);
        if (!slot) {
            const std::string id = channel.attribute("id");
            reason = fmt::format("{} has the channelIndex '{}', not a slot from 0 to {}",
                                 id.empty() ? "a channel without id" : "channel '" + id + "'",
                                 channel.attribute("channelIndex"), kChannelSlots - 1);
            return false;
        }
        if (!taken.insert(*slot).second) {
            reason = fmt::format("two channels have the channelIndex {}", *slot);
            return false;
        }
    }
    return true;
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
