#pragma once
// What the stand-in server accepts as a configuration.

#include "server/ChannelParts.h"

#include <string>
#include <vector>

class XmlDocument;
class XmlNode;

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
