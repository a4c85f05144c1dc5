#pragma once
// What the stand-in server accepts as a configuration, and which channels a change of
// configuration touches.

#include <map>
#include <optional>
#include <string>
#include <vector>

class XmlDocument;
class XmlNode;

// The server's channel slots; a channel's channelIndex names its slot.
constexpr int kChannelSlots = 4;

// The default configuration for a reference standard, or empty for an unknown one.
std::string DefaultConfigurationText(const std::string& referenceStandard);

// The reference standards the server runs with.
const std::vector<std::string>& ReferenceStandards();

// True when the document (or text) has the shape of a configuration the server can hold: a
// Config root with one to four Channel elements whose channelIndex values are distinct slot
// numbers. Attribute values, channel ids and component references are the utility's to
// judge: the server holds whatever they are. Otherwise reason says why.
bool IsUsableConfiguration(const XmlDocument& document, std::string& reason);
bool IsUsableConfiguration(const std::string& text, std::string& reason);

// The slot a Channel element names with its channelIndex, or none when that is not a whole
// number from 0 to kChannelSlots - 1.
std::optional<int> ChannelSlot(const XmlNode& channel);

// Each channel's part of a configuration, by slot: its id, and the channel element with
// every component it references, as text.
struct ChannelPart {
    std::string id;
    std::string text;
};
using ChannelParts = std::map<int, ChannelPart>;
ChannelParts ChannelPartsOf(const XmlDocument& document);

// The slots whose part differs between two configurations, a channel added or removed
// included.
std::vector<int> ChangedChannels(const ChannelParts& before, const ChannelParts& after);
std::vector<int> ChangedChannels(const std::string& before, const std::string& after);
