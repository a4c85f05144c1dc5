#include "ChangeSites.h"

#include "ChangeWords.h"

#include "items/ConfigItem.h"
#include "state/XPathAccess.h"

#include <vector>

NodeSet nodesOf(const XmlDocument& document, const std::string& xpath) {
    NodeSet nodes;
    for (const XmlNode& node : document.documentNode().selectNodes(xpath))
        nodes.insert(node.raw());
    return nodes;
}

bool isAtOrBelow(pugi::xml_node node, pugi::xml_node top) {
    for (; node; node = node.parent()) {
        if (node == top)
            return true;
    }
    return false;
}

bool withinAny(pugi::xml_node node, const NodeSet& nodes) {
    for (; node; node = node.parent()) {
        if (nodes.count(node))
            return true;
    }
    return false;
}

bool writesOwnValue(const CConfigItem& item, const ConfigChange& change, const ChangeSite& site,
                    const XmlDocument& current) {
    if (change.kind != ConfigChange::Kind::Attribute || site.inInitial)
        return false;
    std::string element;
    std::string attribute;
    item.GetXPath(element, attribute);
    if (attribute != change.attribute)
        return false;
    return item.HasGetCallback() ||
           current.documentNode().selectSingleNode(element).raw() == site.node;
}

std::pair<XmlNode, std::string> writeOf(const ConfigChange& change, const XmlDocument& current) {
    const XmlNode root = current.documentNode();
    if (change.kind == ConfigChange::Kind::Attribute)
        return {root.selectSingleNode(change.path), change.attribute};
    const std::vector<std::string> steps = ChangePathSteps(change.path);
    std::string parent;
    for (std::size_t i = 0; i + 1 < steps.size(); ++i)
        parent += "/" + steps[i];
    return {parent.empty() ? XmlNode() : root.selectSingleNode(parent), std::string()};
}

ChannelNames::ChannelNames(const XmlDocument& initial, const XmlDocument& current) {
    learn(current);
    learn(initial);
}

std::string ChannelNames::Of(pugi::xml_node node) const {
    pugi::xml_node top;
    for (; node && node.parent() && node.parent().type() == pugi::node_element;
         node = node.parent()) {
        if (const auto found = m_channels.find(node); found != m_channels.end())
            return found->second;
        top = node;
    }
    if (!top)
        return {};
    const auto found = m_components.find(top.attribute("id").value());
    return found == m_components.end() ? std::string() : found->second;
}

void ChannelNames::learn(const XmlDocument& document) {
    std::size_t position = 0;
    for (const XmlNode& channel : document.documentNode().selectNodes("/Config/Channel")) {
        const std::string name = ChannelDisplayName(channel, position++);
        m_channels[channel.raw()] = name;
        std::map<std::string, std::vector<std::string>> idsByKind;
        for (const XmlNode& reference : channel.selectNodes(".//*[@id]")) {
            m_components.emplace(reference.attribute("id"), name);
            idsByKind[reference.name()].push_back(reference.attribute("id"));
        }
        for (const auto& [kind, ids] : idsByKind) {
            if (ids.size() == 1)
                m_quietIds.insert(ids.front());
        }
    }
}
