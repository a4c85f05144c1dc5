#include "ConfigDiff.h"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

namespace {

using Elements = std::vector<pugi::xml_node>;

Elements childElements(pugi::xml_node parent) {
    Elements children;
    for (pugi::xml_node child : parent.children())
        if (child.type() == pugi::node_element)
            children.push_back(child);
    return children;
}

// The element names of both lists, in the order they first appear.
std::vector<std::string> namesOf(const Elements& first, const Elements& second) {
    std::vector<std::string> names;
    std::set<std::string> seen;
    for (const Elements* list : {&first, &second})
        for (pugi::xml_node node : *list)
            if (seen.insert(node.name()).second)
                names.emplace_back(node.name());
    return names;
}

Elements named(const Elements& elements, const std::string& name) {
    Elements found;
    for (pugi::xml_node node : elements)
        if (name == node.name())
            found.push_back(node);
    return found;
}

// The XPath step that selects an element by its id, or nothing when the id cannot be
// written as a literal (it holds both kinds of quote).
std::optional<std::string> idStep(const std::string& name, const std::string& id) {
    if (id.find('"') == std::string::npos)
        return fmt::format("{}[@id=\"{}\"]", name, id);
    if (id.find('\'') == std::string::npos)
        return fmt::format("{}[@id='{}']", name, id);
    return std::nullopt;
}

// Whether every element of the list has an id no other has, that a step can name.
bool idsAreOwn(const Elements& elements) {
    std::set<std::string> ids;
    for (pugi::xml_node node : elements) {
        const pugi::xml_attribute id = node.attribute("id");
        if (!id || !ids.insert(id.value()).second || !idStep(node.name(), id.value()))
            return false;
    }
    return true;
}

std::string elementXml(pugi::xml_node node) {
    std::ostringstream out;
    node.print(out, "", pugi::format_raw);
    return out.str();
}

class Differ {
public:
    std::vector<ConfigChange> changes;

    void compare(pugi::xml_node before, pugi::xml_node after, const std::string& path) {
        compareAttributes(before, after, path);
        compareChildren(before, after, path);
    }

private:
    // What an element of the later document is matched with: its step in the path, and its
    // partner in the earlier document, none when it was added.
    struct Match {
        std::string step;
        pugi::xml_node before;
    };

    void compareAttributes(pugi::xml_node before, pugi::xml_node after, const std::string& path) {
        for (pugi::xml_attribute now : after.attributes()) {
            const pugi::xml_attribute was = before.attribute(now.name());
            if (was && std::string_view(was.value()) == now.value())
                continue;
            ConfigChange change{.path = path, .attribute = now.name(), .after = now.value()};
            if (was)
                change.before = was.value();
            changes.push_back(std::move(change));
        }
        for (pugi::xml_attribute was : before.attributes()) {
            if (!after.attribute(was.name()))
                changes.push_back({.path = path, .attribute = was.name(), .before = was.value()});
        }
    }

    void compareChildren(pugi::xml_node before, pugi::xml_node after, const std::string& path) {
        const Elements wasChildren = childElements(before);
        const Elements nowChildren = childElements(after);
        std::map<pugi::xml_node, Match> matches; // by the later document's element

        // Removals come first, so that an addition's position counts only what stays.
        for (const std::string& name : namesOf(wasChildren, nowChildren)) {
            const Elements was = named(wasChildren, name);
            const Elements now = named(nowChildren, name);
            if (idsAreOwn(was) && idsAreOwn(now)) {
                std::map<std::string, pugi::xml_node> wasById;
                for (pugi::xml_node node : was)
                    wasById[node.attribute("id").value()] = node;
                std::set<std::string> kept;
                for (pugi::xml_node node : now) {
                    const std::string id = node.attribute("id").value();
                    const std::string step = *idStep(name, id);
                    const auto found = wasById.find(id);
                    if (found != wasById.end())
                        kept.insert(id);
                    matches[node] = {step,
                                     found != wasById.end() ? found->second : pugi::xml_node()};
                }
                for (pugi::xml_node node : was) {
                    const std::string id = node.attribute("id").value();
                    if (!kept.count(id))
                        removed(path + "/" + *idStep(name, id), node);
                }
            } else {
                const std::size_t common = std::min(was.size(), now.size());
                for (std::size_t i = 0; i < now.size(); ++i) {
                    matches[now[i]] = {fmt::format("{}[{}]", name, i + 1),
                                       i < common ? was[i] : pugi::xml_node()};
                }
                // The last first, so that each path still selects its element.
                for (std::size_t i = was.size(); i > common; --i)
                    removed(path + fmt::format("/{}[{}]", name, i), was[i - 1]);
            }
        }
        int position = 0;
        for (pugi::xml_node node : nowChildren) {
            const Match& match = matches[node];
            if (match.before)
                compare(match.before, node, path + "/" + match.step);
            else
                changes.push_back({.kind = ConfigChange::Kind::ElementAdded,
                                   .path = path + "/" + match.step,
                                   .element = elementXml(node),
                                   .position = position});
            ++position;
        }
    }

    void removed(const std::string& path, pugi::xml_node node) {
        changes.push_back({.kind = ConfigChange::Kind::ElementRemoved,
                           .path = path,
                           .element = elementXml(node)});
    }
};

// The path without its last step; a predicate may hold a slash, so only a slash outside
// brackets ends a step. Empty for an element of the document itself.
std::string parentPath(const std::string& path) {
    int depth = 0;
    for (std::size_t i = path.size(); i-- > 0;) {
        if (path[i] == ']')
            ++depth;
        else if (path[i] == '[')
            --depth;
        else if (path[i] == '/' && depth == 0)
            return path.substr(0, i);
    }
    return std::string();
}

pugi::xml_node select(pugi::xml_node document, const std::string& path) {
    if (path.empty())
        return document;
    try {
        return document.select_node(path.c_str()).node();
    } catch (const pugi::xpath_exception&) {
        return {};
    }
}

bool apply(pugi::xml_node document, const ConfigChange& change) {
    switch (change.kind) {
    case ConfigChange::Kind::Attribute: {
        pugi::xml_node element = select(document, change.path);
        if (!element)
            return false;
        if (!change.after)
            return element.remove_attribute(change.attribute.c_str());
        pugi::xml_attribute attribute = element.attribute(change.attribute.c_str());
        if (!attribute)
            attribute = element.append_attribute(change.attribute.c_str());
        return attribute.set_value(change.after->c_str());
    }
    case ConfigChange::Kind::ElementRemoved: {
        pugi::xml_node element = select(document, change.path);
        return element && element.parent().remove_child(element);
    }
    case ConfigChange::Kind::ElementAdded: {
        pugi::xml_node parent = select(document, parentPath(change.path));
        pugi::xml_document fragment;
        if (!parent || !fragment.load_string(change.element.c_str()) || !fragment.first_child())
            return false;
        const Elements siblings = childElements(parent);
        const auto position = static_cast<std::size_t>(std::max(change.position, 0));
        return position < siblings.size()
                   ? bool(parent.insert_copy_before(fragment.first_child(), siblings[position]))
                   : bool(parent.append_copy(fragment.first_child()));
    }
    }
    return false;
}

} // namespace

std::vector<ConfigChange> DiffConfigurations(const XmlNode& before, const XmlNode& after) {
    Differ differ;
    differ.compare(before.raw(), after.raw(), std::string());
    return std::move(differ.changes);
}

bool ApplyConfigChanges(const XmlNode& document, const std::vector<ConfigChange>& changes) {
    const bool applied =
        std::all_of(changes.begin(), changes.end(),
                    [&](const ConfigChange& change) { return apply(document.raw(), change); });
    // The engine's nodes were edited directly: query results from before are stale.
    NoteXmlEdited();
    return applied;
}

std::string ChangeText(const ConfigChange& change) {
    switch (change.kind) {
    case ConfigChange::Kind::ElementAdded:
        return fmt::format("added {}: {}", change.path, change.element);
    case ConfigChange::Kind::ElementRemoved:
        return fmt::format("removed {}", change.path);
    case ConfigChange::Kind::Attribute:
        break;
    }
    return fmt::format("{}/@{}: {} -> {}", change.path, change.attribute,
                       change.before ? "\"" + *change.before + "\"" : "(none)",
                       change.after ? "\"" + *change.after + "\"" : "(none)");
}

std::string PlainChangeReport(const std::vector<ConfigChange>& changes) {
    std::string report = changes.empty() ? std::string("No change in the document")
                         : changes.size() == 1
                             ? std::string("1 change in the document")
                             : fmt::format("{} changes in the document", changes.size());
    for (const ConfigChange& change : changes)
        report += "\n" + ChangeText(change);
    return report;
}
