#include "ConfigReview.h"

#include "items/ConfigItem.h"
#include "items/ConfigListCtrl.h"
#include "server/ChannelParts.h"
#include "state/ConfigState.h"
#include "state/XPathAccess.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

namespace {

constexpr const char* kWholeConfiguration = "Configuration";

using NodeSet = std::set<pugi::xml_node>;

std::string identityOf(const std::string& label, const std::string& binding) {
    return label + '\n' + binding;
}

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

// Where a change is seen: the document that holds its element, and the element.
struct ChangeSite {
    bool inInitial = false;
    pugi::xml_node node;
};

// What the documents say about their channels: each Channel element's name, and the
// channel each component id is referenced by.
class ChannelNames {
public:
    ChannelNames(const XmlDocument& initial, const XmlDocument& current) {
        learn(current);
        learn(initial);
    }

    // The channel a change belongs to: the Channel element above it, or the channel that
    // references the component it is in; empty for none.
    std::string Of(pugi::xml_node node) const {
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

private:
    void learn(const XmlDocument& document) {
        std::size_t position = 0;
        for (const XmlNode& channel : document.documentNode().selectNodes("/Config/Channel")) {
            const std::string name = ChannelDisplayName(channel, position++);
            m_channels[channel.raw()] = name;
            for (const XmlNode& reference : channel.selectNodes(".//*[@id]"))
                m_components.emplace(reference.attribute("id"), name);
        }
    }

    std::map<pugi::xml_node, std::string> m_channels;
    std::map<std::string, std::string> m_components;
};

// One step of a change's path in words: an element named by its id, or by its number among
// its like when it is not the first.
std::string stepInWords(const std::string& step) {
    const std::size_t open = step.find('[');
    if (open == std::string::npos)
        return step;
    const std::string name = step.substr(0, open);
    const std::string predicate = step.substr(open + 1, step.size() - open - 2);
    if (predicate.starts_with("@id=")) {
        std::string id = predicate.substr(4);
        if (id.size() >= 2)
            id = id.substr(1, id.size() - 2);
        return name + " \"" + id + "\"";
    }
    return predicate == "1" ? name : name + " " + predicate;
}

// The path of a change in words, from below the root and its channel.
// The steps of a change's path: "/Config[1]/Gpi[1]" gives "Config[1]" and "Gpi[1]".
std::vector<std::string> pathSteps(const std::string& path) {
    std::vector<std::string> steps;
    int depth = 0;
    std::size_t start = 1;
    // Steps end at a slash outside brackets and quotes.
    bool quoted = false;
    for (std::size_t i = 1; i <= path.size(); ++i) {
        const char c = i < path.size() ? path[i] : '/';
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == '[')
            ++depth;
        else if (!quoted && c == ']')
            --depth;
        else if (!quoted && depth == 0 && c == '/') {
            steps.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    return steps;
}

// Where a write that made the change was noted: the element and the attribute for an
// attribute; the parent, as an element added or removed there, for an element.
std::pair<XmlNode, std::string> writeOf(const ConfigChange& change, const XmlDocument& current) {
    const XmlNode root = current.documentNode();
    if (change.kind == ConfigChange::Kind::Attribute)
        return {root.selectSingleNode(change.path), change.attribute};
    const std::vector<std::string> steps = pathSteps(change.path);
    std::string parent;
    for (std::size_t i = 0; i + 1 < steps.size(); ++i)
        parent += "/" + steps[i];
    return {parent.empty() ? XmlNode() : root.selectSingleNode(parent), std::string()};
}

std::string pathInWords(const std::string& path) {
    const std::vector<std::string> steps = pathSteps(path);
    std::string words;
    for (std::size_t i = 1; i < steps.size(); ++i) {
        // The channel names the group the change is listed in.
        if (i == 1 && steps[i].starts_with("Channel["))
            continue;
        words += (words.empty() ? "" : " / ") + stepInWords(steps[i]);
    }
    return words.empty() ? std::string(kWholeConfiguration) : words;
}

} // namespace

ReviewEntry DescribeChange(const ConfigChange& change) {
    ReviewEntry entry;
    const std::string where = pathInWords(change.path);
    switch (change.kind) {
    case ConfigChange::Kind::Attribute:
        entry.label = where + ": " + change.attribute;
        entry.before = change.before.value_or(std::string());
        entry.after = change.after.value_or(std::string());
        break;
    case ConfigChange::Kind::ElementAdded:
        entry.label = "Added " + where;
        break;
    case ConfigChange::Kind::ElementRemoved:
        entry.label = "Removed " + where;
        break;
    }
    entry.changes = {change};
    entry.ownCount = 1;
    return entry;
}

ReviewEntry TextEntry(std::string label, std::string before, std::string after) {
    ReviewEntry entry;
    entry.label = std::move(label);
    entry.before = std::move(before);
    entry.after = std::move(after);
    return entry;
}

std::size_t ConfigReview::EntryCount() const {
    std::size_t count = 0;
    for (const ReviewGroup& group : groups)
        count += group.entries.size();
    return count;
}

std::vector<ConfigChange> ConfigReview::DocumentChanges() const {
    // Listed by page, they are put back in the order the differences apply in; a change
    // listed twice, or one the differences do not hold, is left out and so shows.
    std::vector<const ConfigChange*> listed;
    for (const ReviewGroup& group : groups) {
        for (const ReviewEntry& entry : group.entries) {
            for (const ConfigChange& change : entry.changes)
                listed.push_back(&change);
        }
    }
    std::vector<ConfigChange> ordered;
    for (const ConfigChange& difference : differences) {
        const auto found = std::find_if(listed.begin(), listed.end(), [&](const ConfigChange* c) {
            return c && *c == difference;
        });
        if (found != listed.end()) {
            ordered.push_back(**found);
            *found = nullptr;
        }
    }
    return ordered;
}

std::size_t ConfigReview::ListedChangeCount() const {
    std::size_t count = 0;
    for (const ReviewGroup& group : groups) {
        for (const ReviewEntry& entry : group.entries)
            count += entry.changes.size();
    }
    return count;
}

void ConfigReviewBuilder::AddRows(const std::string& page, const std::string& channel,
                                  const CConfigListCtrl& list) {
    // A row indented under a heading is named with it: "GPI Input 2 > Name:".
    std::string heading;
    for (std::size_t i = 0; i < list.ItemCount(); ++i) {
        CConfigItem* item = list.ItemAt(i);
        const std::uint32_t flags = item->Flags();
        if ((flags & ITEM_UNBOUND) && !(flags & ITEM_INDENT)) {
            heading = item->Label();
            while (!heading.empty() && (heading.back() == ':' || heading.back() == ' '))
                heading.pop_back();
        } else if (!(flags & ITEM_INDENT)) {
            heading.clear();
        }
        m_rows.push_back({page, channel, (flags & ITEM_INDENT) ? heading : std::string(), item});
    }
}

std::string ConfigReviewBuilder::shownLabel(const Row& row) {
    const std::string label = row.item->Label();
    return row.heading.empty() ? label : row.heading + " \u203A " + label;
}

void ConfigReviewBuilder::AddPart(const std::string& page, const std::string& xpath) {
    m_parts.push_back({page, xpath});
}

void ConfigReviewBuilder::AddEntry(const std::string& page, const std::string& channel,
                                   ReviewEntry entry) {
    m_external.push_back({page, channel, std::move(entry)});
}

ConfigReview ConfigReviewBuilder::Build() {
    CConfigState state;
    const XmlDocument* initial = state.GetInitialDocument();
    std::shared_ptr<XmlDocument> current;
    state.GetConfigDocument(current);

    ConfigReview review;
    std::vector<std::string> pageOrder = m_pageOrder;
    auto notePage = [&](const std::string& page) {
        if (std::find(pageOrder.begin(), pageOrder.end(), page) == pageOrder.end())
            pageOrder.push_back(page);
    };
    auto groupOf = [&](const std::string& page, const std::string& channel) -> ReviewGroup& {
        notePage(page);
        for (ReviewGroup& group : review.groups) {
            if (group.page == page && group.channel == channel)
                return group;
        }
        return review.groups.emplace_back(ReviewGroup{page, channel, {}});
    };
    for (const Row& row : m_rows)
        notePage(row.page);
    for (const Part& part : m_parts)
        notePage(part.page);

    if (initial && current) {
        review.differences = DiffConfigurations(initial->documentNode(), current->documentNode());
        const std::vector<ConfigChange>& changes = review.differences;
        std::vector<ChangeSite> sites;
        for (const ConfigChange& change : changes) {
            const bool removed = change.kind == ConfigChange::Kind::ElementRemoved;
            const XmlDocument& document = removed ? *initial : *current;
            sites.push_back({removed, document.documentNode().selectSingleNode(change.path).raw()});
        }
        std::vector<bool> listed(changes.size(), false);

        // Rows whose value differs, each with the change of its own attribute, or of what is
        // under its element when it names no attribute.
        struct Placed {
            std::string page;
            std::string channel;
            std::size_t entry;
        };
        std::map<std::string, Placed> placed;
        std::map<std::string, const Row*> rowsByIdentity;
        for (const Row& row : m_rows) {
            CConfigItem& item = *row.item;
            const std::string identity = identityOf(item.Label(), item.Binding());
            rowsByIdentity.emplace(identity, &row);
            std::string before;
            std::string after;
            if (placed.count(identity) || !item.IsVisible() || !item.DiffersFromStart() ||
                !item.StartAndNowText(before, after))
                continue;
            ReviewEntry entry = TextEntry(shownLabel(row), before, after);
            std::string element;
            std::string attribute;
            item.GetXPath(element, attribute);
            const pugi::xml_node bound = current->documentNode().selectSingleNode(element).raw();
            for (std::size_t i = 0; bound && i < changes.size(); ++i) {
                const bool own = attribute.empty()
                                     ? !sites[i].inInitial && isAtOrBelow(sites[i].node, bound)
                                     : changes[i].kind == ConfigChange::Kind::Attribute &&
                                           changes[i].attribute == attribute &&
                                           sites[i].node == bound;
                if (!listed[i] && own) {
                    entry.changes.push_back(changes[i]);
                    listed[i] = true;
                }
            }
            entry.ownCount = entry.changes.size();
            ReviewGroup& group = groupOf(row.page, row.channel);
            group.entries.push_back(std::move(entry));
            placed[identity] = {row.page, row.channel, group.entries.size() - 1};
        }

        // Where a change no row claims is listed: the first part that holds its element.
        std::vector<std::pair<std::string, std::pair<NodeSet, NodeSet>>> parts;
        for (const Part& part : m_parts)
            parts.push_back(
                {part.page, {nodesOf(*initial, part.xpath), nodesOf(*current, part.xpath)}});
        const ChannelNames channels(*initial, *current);
        auto siteGroup = [&](std::size_t i) -> ReviewGroup& {
            for (const auto& [page, nodes] : parts) {
                if (withinAny(sites[i].node, sites[i].inInitial ? nodes.first : nodes.second))
                    return groupOf(page, channels.Of(sites[i].node));
            }
            return groupOf(kWholeConfiguration, channels.Of(sites[i].node));
        };

        // Changes that followed a change of the user's go under it: under its row when it
        // has one (a row set back to its start keeps an entry of its own for them), else
        // they are that change itself, as a dialog's writes are.
        for (std::size_t i = 0; i < changes.size(); ++i) {
            if (listed[i])
                continue;
            const auto [element, attribute] = writeOf(changes[i], *current);
            const std::optional<ChangeCause> cause =
                element ? state.CauseOfWrite(element, attribute) : std::nullopt;
            if (!cause)
                continue;
            listed[i] = true;
            const std::string identity = identityOf(cause->label, cause->binding);
            auto found = placed.find(identity);
            if (found == placed.end()) {
                const auto row = rowsByIdentity.find(identity);
                ReviewGroup& group = row != rowsByIdentity.end()
                                         ? groupOf(row->second->page, row->second->channel)
                                         : siteGroup(i);
                group.entries.push_back(TextEntry(
                    row != rowsByIdentity.end() ? shownLabel(*row->second) : cause->label));
                found = placed
                            .emplace(identity,
                                     Placed{group.page, group.channel, group.entries.size() - 1})
                            .first;
            }
            ReviewEntry& entry =
                groupOf(found->second.page, found->second.channel).entries[found->second.entry];
            entry.changes.push_back(changes[i]);
            if (!rowsByIdentity.count(identity))
                entry.ownCount = entry.changes.size();
        }

        // The rest is listed as it is in the document.
        for (std::size_t i = 0; i < changes.size(); ++i) {
            if (!listed[i])
                siteGroup(i).entries.push_back(DescribeChange(changes[i]));
        }

        for (const int slot : ChangedChannels(ChannelPartsOf(*initial), ChannelPartsOf(*current))) {
            const std::string name = SlotDisplayName(slot, {current.get(), initial});
            review.restartingChannels.push_back(name);
            if (state.IsRecording(slot))
                review.stoppedActivities.push_back(name + " is recording");
            else if (state.IsPlaying(slot))
                review.stoppedActivities.push_back(name + " is playing");
        }
    }

    for (External& external : m_external)
        groupOf(external.page, external.channel).entries.push_back(std::move(external.entry));
    m_external.clear();

    // Pages in the order the sheet shows them; a page's channels in the order first met.
    std::stable_sort(review.groups.begin(), review.groups.end(),
                     [&](const ReviewGroup& a, const ReviewGroup& b) {
                         auto rank = [&](const std::string& page) {
                             return std::find(pageOrder.begin(), pageOrder.end(), page) -
                                    pageOrder.begin();
                         };
                         return rank(a.page) < rank(b.page);
                     });
    return review;
}
