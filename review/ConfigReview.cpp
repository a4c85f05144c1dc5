#include "ConfigReview.h"

#include "ChangeSites.h"
#include "ChangeWords.h"
#include "ReviewText.h"

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

std::string identityOf(const std::string& label, const std::string& binding) {
    return label + '\n' + binding;
}

} // namespace

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

void ConfigReviewBuilder::AddView(const std::string& label, ShownValue shown) {
    m_views[label] = std::move(shown);
}

// The documents a review compares, their differences, and where each difference is seen.
struct ConfigReviewBuilder::Documents {
    const XmlDocument& initial;
    const XmlDocument& current;
    const std::vector<ConfigChange>& changes;
    std::vector<ChangeSite> sites;
    ChannelNames channels;
    // The rows that show a plain attribute, by its element and name, and by the names of
    // both: a row of one channel words the same setting of a channel that has no such row.
    std::map<std::pair<pugi::xml_node, std::string>, const Row*> rowsByAttribute;
    std::map<std::pair<std::string, std::string>, const Row*> rowsByName;
};

std::string ConfigReviewBuilder::shownValue(const std::string& identity,
                                            const Variant& value) const {
    const std::vector<const Row*>& rows = m_rowsByIdentity.at(identity);
    for (const Row* row : rows) {
        if (const std::optional<std::string> text = row->item->OfferedValueText(value))
            return *text;
    }
    return rows.front()->item->ValueText(value);
}

ReviewEntry ConfigReviewBuilder::changeEntry(const Documents& documents, std::size_t i,
                                             const std::string& groupChannel) const {
    const ConfigChange& change = documents.changes[i];
    const ChangeSite& site = documents.sites[i];
    ReviewEntry entry = DescribeChange(change, documents.channels.QuietIds());
    if (change.kind == ConfigChange::Kind::Attribute) {
        // The row that shows the attribute words it; else a row that shows the same setting
        // of another element of the kind (another channel's) words its values.
        const auto bound = documents.rowsByAttribute.find({site.node, change.attribute});
        const auto named = documents.rowsByName.find({site.node.name(), change.attribute});
        const Row* row = bound != documents.rowsByAttribute.end() ? bound->second
                         : named != documents.rowsByName.end()    ? named->second
                                                                  : nullptr;
        if (row) {
            const std::string identity = identityOf(row->item->Label(), row->item->Binding());
            const auto shown = [&](const std::optional<std::string>& value) {
                return value ? shownValue(identity, Variant(*value)) : std::string();
            };
            entry.label = bound != documents.rowsByAttribute.end()
                              ? shownLabel(*row)
                              : SettingInWords(change, documents.channels.QuietIds());
            entry.before = shown(change.before);
            entry.after = shown(change.after);
        }
    }
    const std::string channel = documents.channels.Of(site.node);
    if (!channel.empty() && channel != groupChannel)
        entry.label = channel + " \u203A " + entry.label;
    entry.changeWords = {EntryLine(entry)};
    return entry;
}

void ConfigReviewBuilder::indexRows() {
    m_rowsByIdentity.clear();
    for (const Row& row : m_rows)
        m_rowsByIdentity[identityOf(row.item->Label(), row.item->Binding())].push_back(&row);
}

ConfigReviewBuilder::Documents
ConfigReviewBuilder::documentsOf(const XmlDocument& initial, const XmlDocument& current,
                                 const std::vector<ConfigChange>& changes) const {
    Documents documents{initial, current, changes, {}, ChannelNames(initial, current), {}, {}};
    for (const ConfigChange& change : changes) {
        const bool removed = change.kind == ConfigChange::Kind::ElementRemoved;
        const XmlDocument& document = removed ? initial : current;
        documents.sites.push_back(
            {removed, document.documentNode().selectSingleNode(change.path).raw()});
    }
    for (const Row& row : m_rows) {
        std::string element;
        std::string attribute;
        row.item->GetXPath(element, attribute);
        // A row with an accessor shows what it makes of the document, not an attribute.
        if (element.empty() || attribute.empty() || row.item->HasGetCallback() ||
            (row.item->Flags() & (ITEM_UNBOUND | ITEM_LOCAL)))
            continue;
        const pugi::xml_node bound = current.documentNode().selectSingleNode(element).raw();
        if (bound) {
            documents.rowsByAttribute.emplace(std::pair{bound, attribute}, &row);
            documents.rowsByName.emplace(std::pair{std::string(bound.name()), attribute}, &row);
        }
    }
    return documents;
}

std::vector<std::string> ConfigReviewBuilder::RowsOutsideTheirChoices() const {
    std::vector<std::string> lines;
    for (const Row& row : m_rows) {
        CConfigItem& item = *row.item;
        if ((item.Flags() & ITEM_UNBOUND) || !item.IsVisible())
            continue;
        Variant value;
        item.GetAttributeValue(value);
        if (value.isEmpty() || item.OfferedValueText(value))
            continue;
        const std::string label = shownLabel(row);
        lines.push_back(GroupHeading({row.page, row.channel, {}}) + " \u203A " + label +
                        (label.ends_with(':') ? " " : ": ") + value.toText());
    }
    return lines;
}

std::vector<std::string> ConfigReviewBuilder::ChangeLines(const XmlDocument& before,
                                                          const XmlDocument& after) {
    indexRows();
    const std::vector<ConfigChange> changes =
        DiffConfigurations(before.documentNode(), after.documentNode());
    const Documents documents = documentsOf(before, after, changes);
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < changes.size(); ++i)
        lines.push_back(EntryLine(changeEntry(documents, i, {})));
    return lines;
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

    indexRows();

    if (initial && current) {
        review.differences = DiffConfigurations(initial->documentNode(), current->documentNode());
        const std::vector<ConfigChange>& changes = review.differences;
        Documents documents = documentsOf(*initial, *current, changes);
        const std::vector<ChangeSite>& sites = documents.sites;
        std::vector<bool> listed(changes.size(), false);
        const auto addEntry = [&](ReviewGroup& group, ReviewEntry entry) {
            for (std::size_t i = 0; i < entry.changes.size(); ++i)
                entry.changeWords.push_back(std::string());
            group.entries.push_back(std::move(entry));
        };

        // Rows whose value differs, each with the change of its own attribute, or of what is
        // under its element when it names no attribute. Rows that cannot tell their values
        // (they hold them themselves) put down nothing to themselves.
        struct Placed {
            std::string page;
            std::string channel;
            std::size_t entry;
            // Every change the entry lists is its own: it stands for a change no row shows.
            bool allOwn;
        };
        std::map<std::string, Placed> placed;
        std::set<std::string> comparing;
        // The shown rows first: of the rows of one label and binding (one for each reference
        // standard, say), the one shown stands for them. A hidden row is not listed for
        // itself, but it words the changes made under it.
        std::map<std::string, std::pair<std::string, std::string>> differing;
        std::vector<const Row*> rowsInTurn;
        for (const bool shownNow : {true, false}) {
            for (const Row& row : m_rows) {
                if (row.item->IsVisible() == shownNow)
                    rowsInTurn.push_back(&row);
            }
        }
        for (const Row* each : rowsInTurn) {
            const Row& row = *each;
            CConfigItem& item = *row.item;
            const std::string identity = identityOf(item.Label(), item.Binding());
            if (differing.count(identity))
                continue;
            const std::optional<CConfigItem::StartAndNow> shown = item.ReadStartAndNow();
            if (!shown)
                continue;
            comparing.insert(identity);
            if (shown->was.isEmpty() == shown->now.isEmpty() && shown->was.equalsAsText(shown->now))
                continue;
            // The values as the rows showed them: a row that no longer offers the start
            // value (its choices were made anew) leaves it to a row of the same label that
            // offers it.
            const std::string before =
                shown->wasOffered ? shown->wasText : shownValue(identity, shown->was);
            const std::string after = item.OfferedValueText(shown->now)
                                          ? shown->nowText
                                          : shownValue(identity, shown->now);
            differing[identity] = {before, after};
            if (!item.IsVisible())
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
            addEntry(group, std::move(entry));
            placed[identity] = {row.page, row.channel, group.entries.size() - 1, false};
        }

        // Where a change no row claims is listed: the first part that holds its element.
        std::vector<std::pair<std::string, std::pair<NodeSet, NodeSet>>> parts;
        for (const Part& part : m_parts)
            parts.push_back(
                {part.page, {nodesOf(*initial, part.xpath), nodesOf(*current, part.xpath)}});
        auto siteGroup = [&](std::size_t i) -> ReviewGroup& {
            for (const auto& [page, nodes] : parts) {
                if (withinAny(sites[i].node, sites[i].inInitial ? nodes.first : nodes.second))
                    return groupOf(page, documents.channels.Of(sites[i].node));
            }
            return groupOf(kWholeConfiguration, documents.channels.Of(sites[i].node));
        };

        // Changes that followed a change of the user's go under it: under its row when it
        // has one (a row set back to its start keeps an entry of its own for them), else
        // they are that change itself, as a dialog's writes are, with the values the page
        // shows for it when it has told them.
        for (std::size_t i = 0; i < changes.size(); ++i) {
            if (listed[i])
                continue;
            const auto [element, attribute] = writeOf(changes[i], *current);
            const std::optional<ChangeCause> cause =
                element ? state.CauseOfWrite(element, attribute) : std::nullopt;
            if (!cause)
                continue;
            const std::string identity = identityOf(cause->label, cause->binding);
            const auto row = m_rowsByIdentity.find(identity);
            // A row that holds its value itself cannot say what it was: its writes are
            // listed each as itself.
            if (row != m_rowsByIdentity.end() && !comparing.count(identity))
                continue;
            listed[i] = true;
            auto found = placed.find(identity);
            if (found == placed.end()) {
                ReviewGroup& group =
                    row != m_rowsByIdentity.end()
                        ? groupOf(row->second.front()->page, row->second.front()->channel)
                        : siteGroup(i);
                ReviewEntry entry =
                    TextEntry(row != m_rowsByIdentity.end() ? shownLabel(*row->second.front())
                                                            : cause->label);
                // A row that differs but is hidden has its values; one that does not was set
                // back.
                if (const auto values = differing.find(identity); values != differing.end()) {
                    entry.before = values->second.first;
                    entry.after = values->second.second;
                }
                entry.setBack = row != m_rowsByIdentity.end() && !differing.count(identity);
                if (const auto view = m_views.find(cause->label); view != m_views.end()) {
                    entry.before = view->second(initial->documentNode());
                    entry.after = view->second(current->documentNode());
                    // Shown as it started, only what followed the change is left.
                    entry.setBack = entry.before == entry.after;
                    if (entry.setBack)
                        entry.before = entry.after = std::string();
                }
                addEntry(group, std::move(entry));
                found = placed
                            .emplace(identity,
                                     Placed{group.page, group.channel, group.entries.size() - 1,
                                            row == m_rowsByIdentity.end() &&
                                                !group.entries.back().setBack})
                            .first;
            }
            ReviewGroup& group = groupOf(found->second.page, found->second.channel);
            ReviewEntry& entry = group.entries[found->second.entry];
            // The row's own writes come before what rules wrote after them.
            const bool own =
                found->second.allOwn ||
                (row != m_rowsByIdentity.end() &&
                 writesOwnValue(*row->second.front()->item, changes[i], sites[i], *current));
            const std::size_t at = own ? entry.ownCount++ : entry.changes.size();
            entry.changes.insert(entry.changes.begin() + static_cast<std::ptrdiff_t>(at),
                                 changes[i]);
            entry.changeWords.insert(entry.changeWords.begin() + static_cast<std::ptrdiff_t>(at),
                                     changeEntry(documents, i, group.channel).changeWords[0]);
        }

        // The rest is listed as itself, in the words of a row that shows it where one does.
        for (std::size_t i = 0; i < changes.size(); ++i) {
            if (listed[i])
                continue;
            ReviewGroup& group = siteGroup(i);
            group.entries.push_back(changeEntry(documents, i, group.channel));
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
