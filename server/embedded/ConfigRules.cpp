#include "ConfigRules.h"

#include "platform/XmlDocument.h"

#include <QFile>

#include <fmt/format.h>

#include <set>

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
