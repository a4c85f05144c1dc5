#pragma once
// What changed between two configuration documents: attributes changed, added or removed,
// and elements added or removed. Elements are paired by name and, among the siblings of one
// name, by their id when each of them has an id of its own in both documents, else by their
// order. A change names its element by a path that selects it in both documents (an added
// element in the later one, a removed one in the earlier one), so that the changes can be
// listed, traced to the rows that show them, and applied to the earlier document.

#include "XmlDocument.h"

#include <optional>
#include <string>
#include <vector>

// Every member has an initialiser, so that a change names only the members it has:
// ConfigChange{.path = ..., .attribute = ..., .after = ...}.
struct ConfigChange {
    enum class Kind { Attribute, ElementAdded, ElementRemoved };

    Kind kind = Kind::Attribute;
    // The element, as an XPath from the document: /Config/Channel[2]/Gpi[1]/GpiInput[@id="3"].
    std::string path{};
    // An attribute change: its name and values; no value before when it was added, none
    // after when it was removed.
    std::string attribute{};
    std::optional<std::string> before{};
    std::optional<std::string> after{};
    // An added or removed element, whole, as XML.
    std::string element{};
    // Where an added element stands among its parent's elements, from 0.
    int position = -1;

    bool operator==(const ConfigChange&) const = default;
};

// The changes that make the earlier document into the later one, in an order in which they
// can be applied. Comments, text and a change of order alone are not configuration and are
// not listed.
std::vector<ConfigChange> DiffConfigurations(const XmlNode& before, const XmlNode& after);

// Applies the changes in their order to a document node; false, with the document changed
// up to that point, when one of them does not fit the document.
bool ApplyConfigChanges(const XmlNode& document, const std::vector<ConfigChange>& changes);

// A change in one plain line, by its path: "/Config/Channel[1]/@loop: \"true\" -> \"false\"",
// "added /Config/Channel[3]: <Channel .../>", "removed /Config/Gpi[1]".
std::string ChangeText(const ConfigChange& change);

// The changes between two documents as a plain report: a first line that counts them
// ("3 changes in the document"), then a line a change.
std::string PlainChangeReport(const std::vector<ConfigChange>& changes);
