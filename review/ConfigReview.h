#pragma once
// What a commit would change, as the user sees it: every difference between the
// configuration as the session started and now, grouped by page and channel. A row whose
// value differs is listed by its label with both values as the row shows them; document
// changes that followed a change of the user's (a rule's rewrite) are counted under that
// change; what no row shows and no change of the user's explains (Load, Restore) is listed
// as itself. Changes kept outside the document (remote hosts, protocol users) come in as
// ready-made entries.

#include "platform/ConfigDiff.h"
#include "platform/Variant.h"

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

class CConfigItem;
class CConfigListCtrl;

struct ReviewEntry {
    std::string label;
    // As the user sees them; empty for none.
    std::string before;
    std::string after;
    // The document changes the entry stands for: the first ownCount are its own, the others
    // followed it (a rule's rewrite).
    std::vector<ConfigChange> changes;
    std::size_t ownCount = 0;
    // The changes in words, one for each change when the review made the entry; an entry
    // made elsewhere has none, and its changes are worded without the rows.
    std::vector<std::string> changeWords;
    // A row set back to its start: it has no change of its own, only what followed it.
    bool setBack = false;

    std::size_t CausedCount() const { return changes.size() - ownCount; }
};

// An entry of a change outside the document: its label and, when it has them, its values.
ReviewEntry TextEntry(std::string label, std::string before = {}, std::string after = {});

struct ReviewGroup {
    std::string page;
    // The channel's name, or empty for a page's settings that belong to no channel.
    std::string channel;
    std::vector<ReviewEntry> entries;
};

struct ConfigReview {
    std::vector<ReviewGroup> groups;
    // The channels a commit takes offline to restart, by name.
    std::vector<std::string> restartingChannels;
    // What the restart stops, one sentence a channel that records or plays:
    // "C2 is recording".
    std::vector<std::string> stoppedActivities;
    // The document's differences from its start, in the order they apply in.
    std::vector<ConfigChange> differences;

    bool IsEmpty() const { return groups.empty(); }
    std::size_t EntryCount() const;
    // The document changes the entries list, in the order they apply in.
    std::vector<ConfigChange> DocumentChanges() const;
    // How many document changes the entries list, counting a change listed twice twice.
    std::size_t ListedChangeCount() const;
};

class ConfigReviewBuilder {
public:
    // The pages in the order the review lists them; pages not named follow.
    void SetPageOrder(std::vector<std::string> pages) { m_pageOrder = std::move(pages); }
    // The rows of a list, shown on the page (and channel tab, or empty).
    void AddRows(const std::string& page, const std::string& channel, const CConfigListCtrl& list);
    // A page's part of the document, as an XPath of elements: a change no row shows goes to
    // the first page, in the order they were added, whose part holds its element.
    void AddPart(const std::string& page, const std::string& xpath);
    // A change kept outside the document.
    void AddEntry(const std::string& page, const std::string& channel, ReviewEntry entry);
    // A setting a page shows without a row (the Ganging page's grid): the label the page
    // puts its changes down to, and how the page shows its value in a document.
    using ShownValue = std::function<std::string(const XmlNode& root)>;
    void AddView(const std::string& label, ShownValue shown);

    // The review of the configuration state's documents now.
    ConfigReview Build();
    // The shown rows whose value is none of the values they offer, one line each with page,
    // channel, label and value: what a loaded file holds that the user should mend.
    std::vector<std::string> RowsOutsideTheirChoices() const;
    // The changes between two other documents, one line each in the review's words: what
    // another session committed, say.
    std::vector<std::string> ChangeLines(const XmlDocument& before, const XmlDocument& after);

private:
    struct Row {
        std::string page;
        std::string channel;
        // The heading the row stands under, or empty.
        std::string heading;
        CConfigItem* item;
    };
    struct Part {
        std::string page;
        std::string xpath;
    };
    struct External {
        std::string page;
        std::string channel;
        ReviewEntry entry;
    };

    static std::string shownLabel(const Row& row);
    struct Documents;
    void indexRows();
    Documents documentsOf(const XmlDocument& initial, const XmlDocument& current,
                          const std::vector<ConfigChange>& changes) const;
    // How the rows of one label and binding show a value: the first of them that offers it,
    // else the first row's raw text.
    std::string shownValue(const std::string& identity, const Variant& value) const;
    // A change in words, as an entry of its own: by the row that shows its attribute, else by its
    // names. A change of another channel than the group's is named with its channel.
    ReviewEntry changeEntry(const Documents& documents, std::size_t change,
                            const std::string& groupChannel) const;

    std::vector<std::string> m_pageOrder;
    std::vector<Row> m_rows;
    std::vector<Part> m_parts;
    std::vector<External> m_external;
    std::map<std::string, ShownValue> m_views;
    // The rows of each label and binding, in list order.
    std::map<std::string, std::vector<const Row*>> m_rowsByIdentity;
};
