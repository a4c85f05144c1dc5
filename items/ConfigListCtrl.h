#pragma once
// The list window of a page: owns the page's items, splits its height into whole rows,
// shows the visible items from a scroll position, paints each row through its item, and
// turns a touch on an item's value into a selection and the item's popup. A finger that
// moves before it lifts scrolls the list instead.

#include "ConfigItem.h"
#include "platform/WindowMessages.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CTouchScrollBtn;
class CTraceScope;

// Where an item stands in a list: the item itself, or null.
using POSITION = const CConfigItem*;

class CConfigListCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CConfigListCtrl(QWidget* parent = nullptr);
    ~CConfigListCtrl() override;

    // The list takes ownership of items given to it.
    void AddItem(CConfigItem* item);
    CConfigItem* FindItem(int labelId, POSITION* position = nullptr) const;
    // Whether the item is in the list: a change message may outlive its item.
    bool Contains(const CConfigItem* item) const { return indexOf(item) < m_items.size(); }
    void InsertItemAfter(POSITION position, CConfigItem* item);
    void InsertItemBefore(POSITION position, CConfigItem* item);
    // Takes the item out of the list without deleting it; the caller owns it again.
    CConfigItem* RemoveItem(POSITION position, bool relayout);
    // Takes the item out of the list and deletes it. An item whose popup or dialog is open
    // (a live slider's changes run the rules while it is) goes when that closes.
    void DeleteItem(POSITION position, bool relayout);
    // Deletes every item, for a page that builds its items anew; an item whose popup is
    // open goes when that closes.
    void DeleteAllItems();
    // The item whose popup or dialog is open, or null.
    const CConfigItem* TrackingItem() const { return m_tracking; }
    // Puts visible items into rows; returns whether a status item changed.
    bool Relayout(bool redraw);
    void SetFrozen(bool frozen);
    bool IsFrozen() const { return m_frozen; }
    void SetScrollButtons(CTouchScrollBtn* buttons);
    bool UpdateStatusAll();
    // Whether any item's value differs from how the session started.
    bool AnyItemDiffersFromStart() const;
    // Rebuilds the rows from the height; runs on every size change.
    virtual void BuildRows();

    // Scroll requests, as the scroll buttons and keys send them.
    void Scroll(int request);
    // Puts the given visible item in the top row, as far as the list allows.
    void ScrollTo(int first);

    // What is shown, for the page and for tests.
    int First() const { return m_first; }
    int VisibleCount() const { return m_visibleCount; }
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    CConfigItem* RowItem(int row) const;
    QRect RowRect(int row) const;
    std::size_t ItemCount() const { return m_items.size(); }
    CConfigItem* ItemAt(std::size_t index) const { return m_items[index].get(); }
    static int RowHeight();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // A left press not yet lifted: a tap when it lifts where it began, else a swipe.
    struct Press {
        bool active = false;
        bool swiping = false;
        QPoint start;
        int startFirst = 0;
    };
    struct Row {
        QRect rect;
        CConfigItem* item = nullptr;
    };

    void touch(QPoint point);
    void setRowItem(Row& row, CConfigItem* item);
    void repaintChangedRows();
    void clampFirst();
    // Deletes the item now, or when its open popup closes.
    void retire(std::unique_ptr<CConfigItem> item);
    std::size_t indexOf(POSITION position) const;

    CTouchScrollBtn* m_scrollButtons = nullptr;
    int m_first = 0;
    int m_visibleCount = 0;
    bool m_frozen = false;
    std::vector<std::unique_ptr<CConfigItem>> m_items;
    std::vector<Row> m_rows;
    Press m_press;
    CConfigItem* m_tracking = nullptr;
    std::unique_ptr<CConfigItem> m_retiredWhileTracking;
};

// A list of rows named "SystemConfig" with its scroll button, both children of the parent.
CConfigListCtrl* CreateScrolledList(QWidget* parent, CTouchScrollBtn*& scroll);

// Lays the list out again or, when the configuration document was replaced (Load, Restore)
// since the rows were built, builds them anew with build; builtGeneration follows the
// document. Failures are reported under the scope name.
void ReloadList(CConfigListCtrl& list, std::uint64_t& builtGeneration, const char* scopeName,
                const std::function<void(CTraceScope&)>& build);

// The item a change message names, or null when the list (if any) no longer holds it: an
// item removed meanwhile, its rows rebuilt, has no rules to run.
CConfigItem* ChangedItemOf(const CConfigListCtrl* list, LPARAM lParam);
