#include "GangSettings.h"

#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/XmlDocument.h"
#include "state/XPathAccess.h"

#include <fmt/printf.h>

#include <cstdint>
#include <optional>
#include <set>

namespace {

constexpr std::array<int, kGangCount + 1> kChoiceTexts = {IDS_NOT_GANGED, IDS_GANG_1, IDS_GANG_2};

// The stored gang index as the column's choice.
int choiceOf(const XmlNode& channel) {
    std::int32_t gangIndex = -1;
    ReadXPathTypedValue(channel, "Ganging/@gangIndex", gangIndex);
    return gangIndex >= -1 && gangIndex < kGangCount ? gangIndex + 1 : kNoGangChoice;
}

GangOptions optionsOf(const XmlNode& root, int gang) {
    GangOptions options;
    const std::string gangXPath = GangXPath(gang);
    ReadXPathTypedValue(root, gangXPath + "/@singleController", options.singleController);
    ReadXPathTypedValue(root, gangXPath + "/@consolidateAudio", options.consolidateAudio);
    ReadXPathTypedValue(root, gangXPath + "/@consolidateVideo", options.consolidateVideo);
    return options;
}

} // namespace

std::string GangChoiceText(int choice) {
    return choice >= 0 && choice <= kGangCount
               ? LoadString(kChoiceTexts[static_cast<std::size_t>(choice)])
               : std::string();
}

std::string GangColumnChange(const GangColumn& column) {
    return "Ganging of " + column.label;
}

std::string GangChannelXPath(int position) {
    return fmt::sprintf("(//Channel)[%d]", position + 1);
}

std::string GangXPath(int gang) {
    return fmt::sprintf("./Config/Gang[@index=\"%d\"]", gang);
}

GangSettings ReadGangSettings(const XmlNode& root) {
    GangSettings settings;
    std::set<int> taken;
    int position = 0;
    for (const XmlNode& channel : root.selectNodes("//Channel")) {
        // An index that is missing, not a whole number or taken by an earlier channel does
        // not name this channel to the server, so the column may not change it.
        const bool usable = UniqueChannelIndexOf(channel, taken).has_value();
        const std::string label = ChannelDisplayName(channel, static_cast<std::size_t>(position));
        if (position < kGangColumns)
            settings.columns.push_back({label, position, choiceOf(channel), usable});
        else
            settings.hiddenChannels.push_back(label);
        ++position;
    }
    // Read where the page writes them, so that what shows is what a change alters.
    for (int gang = 0; gang < kGangCount; ++gang)
        settings.gangs[static_cast<std::size_t>(gang)] = optionsOf(root, gang);
    return settings;
}
