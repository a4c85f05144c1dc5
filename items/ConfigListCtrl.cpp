#include "ConfigListCtrl.h"

#include "platform/Metrics.h"
#include "platform/TouchScrollButtons.h"
#include "platform/TouchWidgets.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

CConfigListCtrl::CConfigListCtrl(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    applyTouchBackground(this);
    setAttribute(Qt::WA_AcceptTouchEvents, false); // touches arrive as mouse presses
}

CConfigListCtrl::~CConfigListCtrl() = default;

int CConfigListCtrl::RowHeight() {
    return FrmwkGetMetrics(METRIC_ROW_HEIGHT) + FrmwkGetMetrics(METRIC_ROW_PADDING);
}

void CConfigListCtrl::AddItem(CConfigItem* item) {
    item->SetList(this);
    m_items.emplace_back(item);
}

CConfigItem* CConfigListCtrl::FindItem(int labelId, POSITION* position) const {
    for (const auto& item : m_items) {
        if (item->GetLabelId() == labelId) {
            if (position)
                *position = item.get();
            return item.get();
        }
    }
    if (position)
        *position = nullptr;
    return nullptr;
}

std::size_t CConfigListCtrl::indexOf(POSITION position) const {
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].get() == position)
            return i;
    }
    return m_items.size();
}

void CConfigListCtrl::InsertItemAfter(POSITION position, CConfigItem* item) {
    const std::size_t index = indexOf(position);
    const std::size_t at = index < m_items.size() ? index + 1 : m_items.size();
    item->SetList(this);
    m_items.emplace(m_items.begin() + static_cast<std::ptrdiff_t>(at), item);
}

void CConfigListCtrl::InsertItemBefore(POSITION position, CConfigItem* item) {
    const std::size_t index = indexOf(position);
    const std::size_t at = index < m_items.size() ? index : 0;
    item->SetList(this);
    m_items.emplace(m_items.begin() + static_cast<std::ptrdiff_t>(at), item);
}

CConfigItem* CConfigListCtrl::RemoveItem(POSITION position, bool relayout) {
    const std::size_t index = indexOf(position);
    if (index >= m_items.size())
        return nullptr;
    for (Row& row : m_rows) {
        if (row.item == position)
            setRowItem(row, nullptr);
    }
    CConfigItem* item = m_items[index].release();
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
    item->SetList(nullptr);
    if (relayout)
        Relayout(true);
    return item;
}

void CConfigListCtrl::DeleteItem(POSITION position, bool relayout) {
    retire(std::unique_ptr<CConfigItem>(RemoveItem(position, relayout)));
}

void CConfigListCtrl::DeleteAllItems() {
    for (Row& row : m_rows)
        setRowItem(row, nullptr);
    std::vector<std::unique_ptr<CConfigItem>> items;
    items.swap(m_items);
    for (auto& item : items)
        retire(std::move(item));
}

void CConfigListCtrl::retire(std::unique_ptr<CConfigItem> item) {
    if (item && item.get() == m_tracking)
        m_retiredWhileTracking = std::move(item);
}

void CConfigListCtrl::SetFrozen(bool frozen) {
    m_frozen = frozen;
    if (!frozen)
        Relayout(false);
}

void CConfigListCtrl::SetScrollButtons(CTouchScrollBtn* buttons) {
    if (m_scrollButtons)
        disconnect(m_scrollButtons, nullptr, this, nullptr);
    m_scrollButtons = buttons;
    if (buttons)
        connect(buttons, &CTouchScrollBtn::scrollRequested, this, &CConfigListCtrl::Scroll);
}

void CConfigListCtrl::BuildRows() {
    for (Row& row : m_rows)
        setRowItem(row, nullptr);
    m_rows.clear();
    const int height = RowHeight();
    for (QRect rect(0, 0, width(), height); rect.top() + height <= this->height();
         rect.translate(0, height))
        m_rows.push_back(Row{rect, nullptr});
    Relayout(false);
    setFocus();
}

void CConfigListCtrl::setRowItem(Row& row, CConfigItem* item) {
    if (row.item != item) {
        row.item = item;
        update(row.rect);
    }
}

bool CConfigListCtrl::Relayout(bool redraw) {
    if (m_frozen)
        return false;
    m_visibleCount = 0;
    std::size_t top = m_items.size();
    std::size_t lastSeen = m_items.size();
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (!m_items[i]->IsVisible())
            continue;
        ++m_visibleCount;
        if (m_visibleCount - 1 == m_first) {
            top = i;
            break;
        }
        lastSeen = i;
    }
    // Scrolled past the end (items were hidden): the last visible item goes on top.
    if (top == m_items.size() && lastSeen < m_items.size()) {
        top = lastSeen;
        m_first = m_visibleCount - 1;
    }

    std::size_t pending = top;
    for (Row& row : m_rows) {
        if (pending < m_items.size()) {
            setRowItem(row, m_items[pending].get());
            std::size_t next = pending + 1;
            while (next < m_items.size() && !m_items[next]->IsVisible())
                ++next;
            if (next < m_items.size())
                ++m_visibleCount;
            pending = next;
        } else {
            setRowItem(row, nullptr);
        }
        if (redraw)
            update(row.rect);
    }
    if (pending < m_items.size()) {
        for (std::size_t i = pending + 1; i < m_items.size(); ++i) {
            if (m_items[i]->IsVisible())
                ++m_visibleCount;
        }
    }

    if (m_scrollButtons) {
        m_scrollButtons->EnableButton(0, m_first > 0);
        m_scrollButtons->EnableButton(1, m_first < m_visibleCount - RowCount());
        m_scrollButtons->SetPosition(m_first, std::min(RowCount(), m_visibleCount - m_first),
                                     m_visibleCount);
    }
    return UpdateStatusAll();
}

bool CConfigListCtrl::AnyItemDiffersFromStart() const {
    return std::any_of(m_items.begin(), m_items.end(),
                       [](const auto& item) { return item->DiffersFromStart(); });
}

bool CConfigListCtrl::UpdateStatusAll() {
    bool changed = false;
    for (const auto& item : m_items) {
        if (item->UpdateStatus())
            changed = true;
    }
    if (changed)
        repaintChangedRows();
    return changed;
}

void CConfigListCtrl::repaintChangedRows() {
    for (Row& row : m_rows) {
        if (row.item && row.item->NeedsRedraw()) {
            row.item->SetNeedsRedraw(false);
            update(row.rect);
        }
    }
}

void CConfigListCtrl::clampFirst() {
    if (m_first < 0)
        m_first = 0;
    if (m_first > m_visibleCount - RowCount())
        m_first = std::max(0, m_visibleCount - RowCount());
}

void CConfigListCtrl::Scroll(int request) {
    switch (request) {
    case SB_LINEUP:
        --m_first;
        break;
    case SB_LINEDOWN:
        ++m_first;
        break;
    case SB_PAGEUP:
        m_first -= std::max(1, RowCount());
        break;
    case SB_PAGEDOWN:
        m_first += std::max(1, RowCount());
        break;
    case SB_TOP:
        m_first = 0;
        break;
    case SB_BOTTOM:
        m_first = m_visibleCount;
        break;
    default:
        return;
    }
    clampFirst();
    Relayout(false);
}

void CConfigListCtrl::ScrollTo(int first) {
    if (first == m_first)
        return;
    m_first = first;
    clampFirst();
    Relayout(false);
}

CConfigItem* CConfigListCtrl::RowItem(int row) const {
    return row >= 0 && row < RowCount() ? m_rows[static_cast<std::size_t>(row)].item : nullptr;
}

QRect CConfigListCtrl::RowRect(int row) const {
    return row >= 0 && row < RowCount() ? m_rows[static_cast<std::size_t>(row)].rect : QRect();
}

void CConfigListCtrl::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    for (const Row& row : m_rows) {
        if (row.item && event->rect().intersects(row.rect))
            row.item->Draw(painter, row.rect);
    }
}

void CConfigListCtrl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    BuildRows();
}

void CConfigListCtrl::touch(QPoint point) {
    auto hit = std::find_if(m_rows.begin(), m_rows.end(),
                            [&](const Row& row) { return row.rect.contains(point); });
    if (hit == m_rows.end() || !hit->item || !hit->item->HitTest(point))
        return;
    CConfigItem* item = hit->item;
    const QRect rect = hit->rect;
    setFocus();
    for (const auto& each : m_items)
        each->SetSelected(false);
    item->SetSelected(true);
    repaintChangedRows();
    m_tracking = item;
    const bool changed = item->TrackPopup(point);
    m_tracking = nullptr;
    if (m_retiredWhileTracking) {
        // The rules took the item away while its dialog was open.
        m_retiredWhileTracking.reset();
        update();
        return;
    }
    if (changed) {
        item->SetNeedsRedraw(false);
        update(rect);
    }
    repaintChangedRows();
}

void CConfigListCtrl::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() != Qt::LeftButton) {
        // A right click acts as one touch at once.
        m_press = Press{};
        touch(point);
        QWidget::mousePressEvent(event);
        return;
    }
    // What a left press does is known when it lifts or moves.
    m_press = Press{true, false, point, m_first};
    event->accept();
}

void CConfigListCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (!m_press.active) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    if (!m_press.swiping &&
        (point - m_press.start).manhattanLength() >= QApplication::startDragDistance())
        m_press.swiping = true;
    // The rows follow the finger: moving it up one row's height shows the next item.
    if (m_press.swiping)
        ScrollTo(m_press.startFirst + (m_press.start.y() - point.y()) / RowHeight());
    event->accept();
}

void CConfigListCtrl::mouseReleaseEvent(QMouseEvent* event) {
    const Press press = m_press;
    m_press = Press{};
    if (press.active && !press.swiping)
        touch(press.start);
    event->accept();
}

void CConfigListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is one more touch at once; the default handling
    // would turn it into a press and touch twice.
    m_press = Press{};
    touch(event->position().toPoint());
    event->accept();
}

void CConfigListCtrl::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up:
        Scroll(SB_LINEUP);
        break;
    case Qt::Key_Down:
        Scroll(SB_LINEDOWN);
        break;
    case Qt::Key_PageUp:
        Scroll(SB_PAGEUP);
        break;
    case Qt::Key_PageDown:
        Scroll(SB_PAGEDOWN);
        break;
    case Qt::Key_Home:
        Scroll(SB_TOP);
        break;
    case Qt::Key_End:
        Scroll(SB_BOTTOM);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void CConfigListCtrl::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    for (int i = 0; i < std::abs(steps); ++i)
        Scroll(steps > 0 ? SB_LINEUP : SB_LINEDOWN);
    event->accept();
}

CConfigListCtrl* CreateScrolledList(QWidget* parent, CTouchScrollBtn*& scroll) {
    scroll = new CTouchScrollBtn(parent);
    scroll->SetColor(FrmwkGetColor(COLOR_SCROLL_BUTTON));
    auto* list = new CConfigListCtrl(parent);
    list->setObjectName(QStringLiteral("SystemConfig"));
    list->SetScrollButtons(scroll);
    return list;
}

void ReloadList(CConfigListCtrl& list, std::uint64_t& builtGeneration, const char* scopeName,
                const std::function<void(CTraceScope&)>& build) {
    const std::uint64_t generation = CConfigState().DocumentGeneration();
    if (generation == builtGeneration) {
        list.Relayout(true);
        return;
    }
    // A replaced document may differ in which rows exist and what they offer.
    CTraceScope scope(scopeName);
    scope.Run([&] {
        list.SetFrozen(true);
        list.DeleteAllItems();
        builtGeneration = generation;
        build(scope);
        list.SetFrozen(false);
    });
}

CConfigItem* ChangedItemOf(const CConfigListCtrl* list, LPARAM lParam) {
    CConfigItem* item = FromLParam<CConfigItem>(lParam);
    return list && list->Contains(item) ? item : nullptr;
}
