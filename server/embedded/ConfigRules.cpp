#include "ConfigRules.h"

#include "platform/XmlDocument.h"

#include <QFile>

#include <fmt/format.h>

#include <map>
#include <set>

namespace {

const std::set<std::string> kChannelTypes = {"Player", "Recorder", "PlayerRecorder"};

ChannelParts partsOfText(const std::string& text) {
    XmlDocument document;
    return document.loadXml(text) == S_OK ? ChannelPartsOf(document) : ChannelParts();
}

} // namespace

ChannelParts ChannelPartsOf(const XmlDocument& document) {
    ChannelParts parts;
    const XmlNode root = document.documentNode();
    for (const XmlNode& channel : root.selectNodes("/Config/Channel")) {
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
        parts[std::atoi(channel.attribute("channelIndex", "-1").c_str())] = part;
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
    const std::string standard =
        config.selectSingleNode("System/SystemVideoReference/@referenceStandard").value();
    const auto& standards = ReferenceStandards();
    if (std::find(standards.begin(), standards.end(), standard) == standards.end()) {
        reason = "the reference standard is missing or unknown";
        return false;
    }
    const XmlNodeList channels = config.selectNodes("Channel");
    if (channels.empty() || channels.size() > 4) {
        reason = fmt::format("a configuration has one to four channels, not {}", channels.size());
        return false;
    }
    std::set<std::string> indexes;
    std::set<std::string> ids;
    for (const XmlNode& channel : channels) {
        const std::string index = channel.attribute("channelIndex");
        const std::string id = channel.attribute("id");
        if (index.size() != 1 || index[0] < '0' ||
            index[0] >= static_cast<char>('0' + channels.size()) || !indexes.insert(index).second) {
            reason = fmt::format("channel '{}' has a missing, repeated or out-of-range index", id);
            return false;
        }
        if (id.empty() || !ids.insert(id).second) {
            reason = "a channel id is missing or repeated";
            return false;
        }
        if (!kChannelTypes.count(channel.attribute("channelType"))) {
            reason = fmt::format("channel '{}' has no valid channel type", id);
            return false;
        }
        for (const XmlNode& reference : channel.selectNodes(
                 ".//*[substring(name(), string-length(name()) - 8) = 'Component'][@id]")) {
            const std::string target = reference.attribute("id");
            if (config.selectSingleNode("*[@id=" + XPathLiteral(target) + "]").isNull()) {
                reason =
                    fmt::format("channel '{}' refers to the missing component '{}'", id, target);
                return false;
            }
        }
    }
    return true;
}

std::vector<int> ChangedChannels(const std::string& before, const std::string& after) {
    return ChangedChannels(partsOfText(before), partsOfText(after));
}

std::vector<int> ChangedChannels(const ChannelParts& old, const ChannelParts& now) {
    std::vector<int> changed;
    for (const auto& [index, part] : now) {
        const auto found = old.find(index);
        if (found == old.end() || found->second != part)
            changed.push_back(index);
    }
    return changed;
}
