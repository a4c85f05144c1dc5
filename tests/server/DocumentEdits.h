#pragma once
// Configuration texts as the tests change them.

#include "platform/XmlDocument.h"

#include <string>

// The text as the server stores it: parsed and written again.
inline std::string Canonical(const std::string& text) {
    XmlDocument document;
    document.loadXml(text);
    return document.xml();
}

// The text with the attribute the XPath selects set to the value.
inline std::string WithAttribute(const std::string& text, const std::string& xpath,
                                 const std::string& value) {
    XmlDocument document;
    document.loadXml(text);
    document.documentNode().selectSingleNode(xpath).setValue(value);
    return document.xml();
}

// The text with one channel changed: it loops (no channel of the defaults does).
inline std::string WithChannelLooping(const std::string& text, int channelIndex) {
    return WithAttribute(
        text, "//Channel[@channelIndex=\"" + std::to_string(channelIndex) + "\"]/@loop", "true");
}
