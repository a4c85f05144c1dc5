#pragma once
// What the stand-in server accepts as a configuration, and which channels a change of
// configuration touches.

#include <map>
#include <string>
#include <vector>

class XmlDocument;

// The default configuration for a reference standard, or empty for an unknown one.
std::string DefaultConfigurationText(const std::string& referenceStandard);

// The reference standards the server runs with.
const std::vector<std::string>& ReferenceStandards();

// True when the document (or text) is a configuration the server can run; otherwise reason
// says why.
bool IsUsableConfiguration(const XmlDocument& document, std::string& reason);
bool IsUsableConfiguration(const std::string& text, std::string& reason);

// Each channel's part of a configuration, by channel index: the channel element and every
// component it references, as text.
using ChannelParts = std::map<int, std::string>;
ChannelParts ChannelPartsOf(const XmlDocument& document);

// The channel indexes whose part differs between two configurations.
std::vector<int> ChangedChannels(const ChannelParts& before, const ChannelParts& after);
std::vector<int> ChangedChannels(const std::string& before, const std::string& after);
