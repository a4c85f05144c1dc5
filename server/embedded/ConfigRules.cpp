#include "ConfigRules.h"

#include "platform/FileRead.h"
#include "platform/InstallPaths.h"
#include "platform/XmlDocument.h"

#include <QFile>
#include <QFileInfo>

#include <fmt/format.h>

#include <set>

namespace {

// A default configuration is some tens of kilobytes; anything near this is not one.
constexpr qint64 kMaxDefaultSize = 8 * 1024 * 1024;

} // namespace

const std::vector<std::string>& ReferenceStandards() {
    static const std::vector<std::string> standards = {"Format525_29_97Hz_2To1",
                                                       "Format625_25Hz_2To1"};
    return standards;
}

DefaultConfiguration FindDefaultConfiguration(const std::string& referenceStandard) {
    const auto& standards = ReferenceStandards();
    if (std::find(standards.begin(), standards.end(), referenceStandard) == standards.end())
        return {};
    const QString standard = QString::fromStdString(referenceStandard);
    DefaultConfiguration found;

    const QString path = DefaultConfigurationPath(standard);
    if (QFileInfo::exists(path)) {
        QByteArray content;
        std::string reason;
        if (ReadRegularFile(path, kMaxDefaultSize, content) != FileReadResult::Ok)
            reason = "it could not be read";
        else if (IsUsableConfiguration(content.toStdString(), reason)) {
            found.text = content.toStdString();
            found.source = path.toStdString();
            return found;
        }
        found.problem = path.toStdString() + " is not used: " + reason;
    }

    QFile builtIn(QStringLiteral(":/data/defaults/%1.xml").arg(standard));
    if (builtIn.open(QIODevice::ReadOnly)) {
        found.text = builtIn.readAll().toStdString();
        found.source = "built in";
    }
    return found;
}

std::string DefaultConfigurationSources() {
    std::string lines;
    for (const std::string& standard : ReferenceStandards()) {
        const DefaultConfiguration found = FindDefaultConfiguration(standard);
        lines += "  " + standard + ": " + found.source;
        if (!found.problem.empty())
            lines += " (" + found.problem + ")";
        else if (found.source == "built in")
            lines += " (no " +
                     DefaultConfigurationPath(QString::fromStdString(standard)).toStdString() + ")";
        lines += "\n";
    }
    return lines;
}

std::string DefaultConfigurationText(const std::string& referenceStandard) {
    return FindDefaultConfiguration(referenceStandard).text;
}

bool IsUsableConfiguration(const std::string& text, std::string& reason) {
    XmlDocument document;
    if (document.loadXml(text) != S_OK) {
        reason = "the text is not well-formed XML";
        if (const auto& error = document.parseError())
            reason += " (" + error->Position() + ")";
        return false;
    }
    return IsUsableConfiguration(document, reason);
}

bool IsUsableConfiguration(const XmlDocument& document, std::string& reason) {
    const XmlNode config = document.documentElement();
    if (config.name() != "Config") {
        reason = fmt::format("the root element is {}, not Config", config.name());
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
