#pragma once
// Reading and writing single attributes of the configuration document by XPath. A
// missing node is S_FALSE and leaves the caller's value as it was, so callers preload
// the default they want. A node that is not an attribute raises ComError(E_POINTER).

#include "platform/Variant.h"
#include "platform/XmlDocument.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <string_view>

HRESULT ReadXPathValue(const XmlNode& root, std::string_view xpath, std::string& text);

// Typed reads. A value that does not convert returns the conversion's status and leaves
// the caller's value unchanged.
HRESULT ReadXPathTypedValue(const XmlNode& root, std::string_view xpath, bool& value);
HRESULT ReadXPathTypedValue(const XmlNode& root, std::string_view xpath, std::int32_t& value);
HRESULT ReadXPathTypedValue(const XmlNode& root, std::string_view xpath, std::string& value);
HRESULT ReadXPathTypedValue(const XmlNode& root, std::string_view xpath, Variant& value);

// Writes the value's text into an existing attribute; a missing one is not created.
HRESULT WriteXPathValue(const XmlNode& root, std::string_view xpath, const Variant& value);

// The channel index a Channel element names. The channel XPaths compare the attribute as
// text with the number written out ([@channelIndex="2"]), so only that exact spelling of a
// whole number from 0 counts; anything else is no index.
std::optional<int> ChannelIndexOf(const XmlNode& channel);
// The same, but only when no earlier channel took that index: a taken one would address
// the earlier channel. The index found is added to taken.
std::optional<int> UniqueChannelIndexOf(const XmlNode& channel, std::set<int>& taken);

// The name a page shows for a Channel element: its id, or its position (from 0) plus one
// when it has none.
std::string ChannelDisplayName(const XmlNode& channel, std::size_t position);
// The name of the channel in a slot (its channelIndex), from the first document that has
// it; its number from 1 when none does.
std::string SlotDisplayName(int slot, std::initializer_list<const XmlDocument*> documents);

// The text shown when a document fails to load, with the parser's line and character.
void GetXmlErrorText(const XmlDocument& document, std::string& text);
