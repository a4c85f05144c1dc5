#pragma once
// Which channels a change of configuration touches. A channel's part of a configuration is
// its Channel element with every component it references by id; a channel whose part
// changes restarts when the configuration is committed. The utility uses this to say which
// channels a commit will take offline, the server to take them offline.

#include "platform/HResult.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

class Variant;
class XmlDocument;
class XmlNode;

// The server's channel slots; a channel's channelIndex names its slot.
constexpr int kChannelSlots = 4;

// The slot an application server's GetChannel is asked for: DISP_E_TYPEMISMATCH unless the
// index is a 32-bit integer, E_INVALIDARG unless it names a slot.
HRESULT ChannelSlotOf(const Variant& index, int& slot);

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
