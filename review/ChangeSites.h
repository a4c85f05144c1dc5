#pragma once
// Where the changes between two configuration documents are: the element each is seen at,
// the channel it belongs to, the element and attribute its write was noted on, and whether
// a row's touch wrote it as the row's own value.

#include "platform/ConfigDiff.h"
#include "platform/XmlDocument.h"

#include <map>
#include <set>
#include <string>
#include <utility>

class CConfigItem;

using NodeSet = std::set<pugi::xml_node>;

// The elements an XPath selects in a document.
NodeSet nodesOf(const XmlDocument& document, const std::string& xpath);
bool isAtOrBelow(pugi::xml_node node, pugi::xml_node top);
// Whether the node is one of the nodes or below one of them.
bool withinAny(pugi::xml_node node, const NodeSet& nodes);

// Where a change is seen: the document that holds its element, and the element.
struct ChangeSite {
    bool inInitial = false;
    pugi::xml_node node;
};

// Whether a change a row's touch made is the row's own value: its attribute where the row
// shows it, or wherever its accessor keeps it (on every track).
bool writesOwnValue(const CConfigItem& item, const ConfigChange& change, const ChangeSite& site,
                    const XmlDocument& current);

// What the documents say about their channels: each Channel element's name, and the
// channel each component id is referenced by.
class ChannelNames {
public:
    ChannelNames(const XmlDocument& initial, const XmlDocument& current);

    // The channel a change belongs to: the Channel element above it, or the channel that
    // references the component it is in; empty for none.
    std::string Of(pugi::xml_node node) const;

    // The ids of components that are the only ones of their kind in their channel: the
    // channel names them well enough.
    const std::set<std::string>& QuietIds() const { return m_quietIds; }

private:
    void learn(const XmlDocument& document);

    std::map<pugi::xml_node, std::string> m_channels;
    std::map<std::string, std::string> m_components;
    std::set<std::string> m_quietIds;
};

// Where a write that made the change was noted: the element and the attribute for an
// attribute; the parent, as an element added or removed there, for an element.
std::pair<XmlNode, std::string> writeOf(const ConfigChange& change, const XmlDocument& current);
