#include "GangRules.h"

#include "state/ConfigState.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

#include <cstdint>
#include <map>

namespace {

constexpr int kNotGanged = -1;

// What a gang's leader passes on to the other members.
struct LeaderSettings {
    bool loop = false;
    bool continuousRecord = false;
    std::string continuousRecordLength;
    bool ee = false;
};

std::int32_t readInt(const XmlNode& root, const std::string& xpath) {
    std::int32_t value = kNotGanged;
    ReadXPathTypedValue(root, xpath, value);
    return value;
}

// The channels that may be changed: those with a column and an index of their own.
std::vector<const GangColumn*> gangable(const GangSettings& settings) {
    std::vector<const GangColumn*> channels;
    for (const GangColumn& column : settings.columns) {
        if (column.usable)
            channels.push_back(&column);
    }
    return channels;
}

} // namespace

bool CGangWrites::Has(const std::string& element, const std::string& attribute) const {
    return !m_root.selectSingleNode(element + "/@" + attribute).isNull();
}

void CGangWrites::Put(const std::string& element, const std::string& attribute,
                      const Variant& value, const std::string& owner) {
    if (!Has(element, attribute)) {
        if (!owner.empty())
            m_missed.push_back(owner + " " + attribute);
        return;
    }
    m_scope.Check(CConfigState().PutAttributeValue(element, attribute, value, false, true));
}

void UpdateGangOrder(CGangWrites& writes, const GangSettings& settings) {
    std::map<std::int32_t, std::int32_t> next;
    for (const GangColumn* channel : gangable(settings)) {
        const std::string ganging = GangChannelXPath(channel->position) + "/Ganging";
        const std::int32_t gang = readInt(writes.Root(), ganging + "/@gangIndex");
        if (gang == kNotGanged) {
            writes.Put(ganging, "gangOrder", Variant(std::int32_t{-1}));
            continue;
        }
        writes.Put(ganging, "gangOrder", Variant(next[gang]++), channel->label);
    }
}

void CopyLeaderSettings(CGangWrites& writes, const GangSettings& settings) {
    const XmlNode& root = writes.Root();
    std::map<std::int32_t, LeaderSettings> leaders;
    for (const GangColumn* channel : gangable(settings)) {
        const std::string element = GangChannelXPath(channel->position);
        const std::int32_t gang = readInt(root, element + "/Ganging/@gangIndex");
        if (gang == kNotGanged)
            continue;
        std::string type;
        ReadXPathValue(root, element + "/@channelType", type);
        const bool player = type == "Player";
        LeaderSettings& leader = leaders[gang];
        const std::string monitor = element + "/Monitor";
        if (readInt(root, element + "/Ganging/@gangOrder") == 0) {
            ReadXPathTypedValue(root, element + "/@loop", leader.loop);
            if (!player) {
                ReadXPathTypedValue(root, element + "/@continuousRecord", leader.continuousRecord);
                ReadXPathValue(root, element + "/@continuousRecordLength",
                               leader.continuousRecordLength);
            }
            ReadXPathTypedValue(root, monitor + "/@ee", leader.ee);
            continue;
        }
        writes.Put(element, "loop", Variant(leader.loop), channel->label);
        // A Player does not record: its continuous record settings stay its own.
        if (!player) {
            writes.Put(element, "continuousRecord", Variant(leader.continuousRecord),
                       channel->label);
            writes.Put(element, "continuousRecordLength", Variant(leader.continuousRecordLength),
                       channel->label);
        }
        writes.Put(monitor, "ee", Variant(leader.ee), channel->label);
    }
}
