#include "ConfigItem.h"

#include "platform/Metrics.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "platform/WindowMessages.h"
#include "platform/XmlDocument.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

namespace {

const QColor kGrey(196, 196, 196);
const QColor kBlue(0, 0, 255);
const QColor kPurple(128, 0, 128);

// Labels and values are shown as the string table holds them: "&&" is one ampersand.
constexpr int kTextFlags = Qt::TextSingleLine | Qt::TextShowMnemonic | Qt::AlignLeft | Qt::AlignTop;
constexpr int kChangedBarWidth = 5;

} // namespace

CConfigItem::CConfigItem(int labelId, std::string elementXPath, std::string attributeName,
                         std::uint32_t flags, QObject* owner)
    : m_labelId(labelId), m_owner(owner), m_elementXPath(std::move(elementXPath)),
      m_attributeName(std::move(attributeName)), m_flags(flags),
      m_separator((flags & ITEM_SEPARATOR) != 0) {}

CConfigItem::CConfigItem(std::string labelText, std::string elementXPath, std::string attributeName,
                         std::uint32_t flags, QObject* owner)
    : CConfigItem(NO_LABEL_ID, std::move(elementXPath), std::move(attributeName), flags, owner) {
    m_labelText = std::move(labelText);
}

CConfigItem::~CConfigItem() = default;

void CConfigItem::GetLabel(std::string& text) const {
    text = m_labelId == NO_LABEL_ID ? m_labelText : LoadString(m_labelId);
}

std::string CConfigItem::Label() const {
    std::string text;
    GetLabel(text);
    return text;
}

std::string CConfigItem::Binding() const {
    return m_attributeName.empty() ? m_elementXPath : m_elementXPath + "/@" + m_attributeName;
}

void CConfigItem::GetXPath(std::string& element, std::string& attribute) const {
    element = m_elementXPath;
    attribute = m_attributeName;
}

void CConfigItem::SetInterlock(std::uint32_t interlockFlags, int channelIndex) {
    m_interlockFlags = interlockFlags;
    m_channelIndex = channelIndex;
}

void CConfigItem::SetGetCallback(ItemGetAccessor accessor, std::intptr_t context) {
    m_getAccessor = std::move(accessor);
    m_getContext = context;
}

void CConfigItem::SetPutCallback(ItemPutAccessor accessor, std::intptr_t context) {
    m_putAccessor = std::move(accessor);
    m_putContext = context;
}

void CConfigItem::SetSeparator(bool separator) {
    if (m_separator != separator) {
        m_separator = separator;
        m_needsRedraw = true;
    }
}

void CConfigItem::SetSelected(bool selected) {
    if (m_selected != selected) {
        m_selected = selected;
        m_needsRedraw = true;
    }
}

HRESULT CConfigItem::GetAttributeValue(Variant& value) {
    CTraceScope scope("CConfigItem::GetAttributeValue");
    return scope.Run([&] {
        std::shared_ptr<XmlDocument> document;
        m_state.GetConfigDocument(document);
        if (m_getAccessor) {
            scope.Check(m_getAccessor(document.get(), *this, m_getContext, m_localValue));
            value = m_localValue;
        } else if (m_flags & ITEM_LOCAL) {
            value = m_localValue;
        } else {
            if (!document)
                scope.RaiseComError(E_POINTER);
            // A missing node leaves the value as the caller passed it.
            ReadXPathTypedValue(document->documentNode(), Binding(), value);
        }
    });
}

void CConfigItem::showStart(StartAndNow* shown, const Variant& was) const {
    if (!shown)
        return;
    const std::optional<std::string> offered = OfferedValueText(was);
    shown->wasOffered = offered.has_value();
    shown->wasText = offered.value_or(ValueText(was));
}

bool CConfigItem::readStartAndNow(Variant& was, Variant& now, StartAndNow* shown) {
    const XmlDocument* initial = m_state.GetInitialDocument();
    std::shared_ptr<XmlDocument> document;
    m_state.GetConfigDocument(document);
    if ((m_flags & ITEM_UNBOUND) || !initial || !document)
        return false;
    if (m_getAccessor) {
        // An accessor reads the document it is given, and some keep what they read in the
        // item (the choices that fit it): the start value is shown while the item holds what
        // the start document gave it, and the value now is read last, so the item keeps
        // showing it.
        const HRESULT wasStatus =
            m_getAccessor(const_cast<XmlDocument*>(initial), *this, m_getContext, was);
        showStart(shown, was);
        const HRESULT nowStatus = m_getAccessor(document.get(), *this, m_getContext, now);
        m_localValue = now;
        return SUCCEEDED(wasStatus) && SUCCEEDED(nowStatus);
    }
    if ((m_flags & ITEM_LOCAL) || m_elementXPath.empty() || m_attributeName.empty())
        return false;
    // A missing attribute reads as empty, which differs from one that holds "".
    const std::string xpath = Binding();
    std::string text;
    if (ReadXPathValue(initial->documentNode(), xpath, text) == S_OK)
        was = Variant(text);
    if (ReadXPathValue(document->documentNode(), xpath, text) == S_OK)
        now = Variant(text);
    showStart(shown, was);
    return true;
}

bool CConfigItem::DiffersFromStart() {
    Variant was;
    Variant now;
    return readStartAndNow(was, now) && (was.isEmpty() != now.isEmpty() || !was.equalsAsText(now));
}

bool CConfigItem::StartAndNowText(std::string& was, std::string& now) {
    const std::optional<StartAndNow> shown = ReadStartAndNow();
    if (!shown)
        return false;
    was = shown->wasText;
    now = shown->nowText;
    return true;
}

std::optional<CConfigItem::StartAndNow> CConfigItem::ReadStartAndNow() {
    StartAndNow shown;
    if (!readStartAndNow(shown.was, shown.now, &shown))
        return std::nullopt;
    shown.nowText = ValueText(shown.now);
    return shown;
}

std::optional<std::string> CConfigItem::OfferedValueText(const Variant& value) const {
    return ValueText(value);
}

HRESULT CConfigItem::PutAttributeValue(const Variant& value) {
    CTraceScope scope("CConfigItem::PutAttributeValue");
    return scope.Run([&] {
        if (m_putAccessor) {
            std::shared_ptr<XmlDocument> document;
            m_state.GetConfigDocument(document);
            scope.Check(m_putAccessor(value, document.get(), *this, m_putContext));
            m_localValue = value;
        } else if (m_flags & ITEM_LOCAL) {
            m_localValue = value;
        } else {
            // The state reports its own failures; this one only passes the status on.
            scope.SetStatus(m_state.PutAttributeValue(m_elementXPath, m_attributeName, value,
                                                      (m_flags & ITEM_LIVE) != 0, m_final));
        }
    });
}

int CConfigItem::GetValueText(std::string& text) {
    Variant value;
    GetAttributeValue(value);
    text = ValueText(value);
    return 0;
}

std::string CConfigItem::ValueText(const Variant& value) const {
    return value.isEmpty() ? std::string() : value.toText();
}

bool CConfigItem::HitTest(QPoint point) const {
    return !m_valueArea.isNull() && point.x() >= m_valueArea.left() &&
           point.x() <= m_valueArea.right();
}

bool CConfigItem::TrackPopup(QPoint) {
    return false;
}

bool CConfigItem::UpdateStatus() {
    return false;
}

void CConfigItem::ShowIf(const std::string& attributeXPath, const Variant& value) {
    m_conditions.push_back({attributeXPath, value, true, false});
}

void CConfigItem::ShowIfNot(const std::string& attributeXPath, const Variant& value) {
    m_conditions.push_back({attributeXPath, value, true, true});
}

void CConfigItem::ShowIfAny(const std::string& attributeXPath, const Variant& value) {
    m_conditions.push_back({attributeXPath, value, false, false});
}

void CConfigItem::ShowIfAnyNot(const std::string& attributeXPath, const Variant& value) {
    m_conditions.push_back({attributeXPath, value, false, true});
}

bool CConfigItem::IsVisible() {
    if (m_conditions.empty())
        return true;
    std::shared_ptr<XmlDocument> document;
    m_state.GetConfigDocument(document);
    const XmlNode root = document ? document->documentNode() : XmlNode();
    constexpr int kNoAlternativeSeen = 0x7FFFFFFF;
    int count = kNoAlternativeSeen;
    for (const Condition& condition : m_conditions) {
        if (!condition.required && count == kNoAlternativeSeen)
            count = 0;
        XmlNode node;
        if (root.selectSingleNode(condition.attributeXPath, node) != S_OK) {
            if (condition.required)
                return false;
            continue;
        }
        const bool equal = node.value() == condition.value.toText();
        const bool holds = condition.negated ? !equal : equal;
        if (!holds) {
            if (condition.required)
                return false;
        } else if (!condition.required) {
            ++count;
        }
    }
    return count >= 1;
}

QWidget* CConfigItem::OwnerWidget() const {
    return qobject_cast<QWidget*>(m_owner);
}

QPoint CConfigItem::ToScreen(QPoint point) const {
    const QWidget* widget = m_list ? m_list : OwnerWidget();
    return widget ? widget->mapToGlobal(point) : point;
}

void CConfigItem::PostChangeMessages() {
    PostMessage(m_owner, WM_CONFIG_ITEM_CHANGED, static_cast<WPARAM>(m_labelId), ToLParam(this));
    if (m_flags & ITEM_RELAYOUT)
        PostMessage(m_owner, WM_CONFIG_RELAYOUT, static_cast<WPARAM>(m_labelId), ToLParam(this));
    if (m_interlockFlags & INTERLOCK_REFERENCE_STANDARD)
        PostMessage(MainWindow(), WM_CONFIG_RESTART, 0, 0);
}

QRect CConfigItem::DrawLabel(QPainter& painter, const QRect& row) {
    const int margin = FrmwkGetMetrics(METRIC_MARGIN);
    QFont font = FrmwkGetFont(FONT_NORMAL);
    font.setItalic((m_flags & ITEM_UNBOUND) != 0);
    painter.setFont(font);
    painter.fillRect(row, FrmwkGetColor(COLOR_BACKGROUND));
    if (m_separator) {
        painter.setPen(kGrey);
        painter.drawLine(row.left() + margin, row.top(), row.right() - margin, row.top());
    }
    const int indent = (m_flags & ITEM_INDENT) ? 2 * margin : 0;
    const QString label = QString::fromStdString(Label());
    const QRect measured = QFontMetrics(font).boundingRect(
        QRect(row.left() + indent + 2 * margin, row.top(), row.width(), row.height()), kTextFlags,
        label);
    // The text sits halfway down the row; the rectangle reaches the row's bottom.
    QRect labelRect = measured.translated(0, (row.bottom() - measured.bottom()) / 2);
    labelRect.setBottom(row.bottom());
    painter.setPen(FrmwkGetColor(COLOR_TEXT));
    painter.drawText(labelRect, kTextFlags, label);
    return labelRect;
}

void CConfigItem::Draw(QPainter& painter, const QRect& row) {
    if (!IsVisible())
        return;
    painter.save();
    // Asked first: an accessor it runs leaves the value now in the item.
    const bool changed = DiffersFromStart();
    const QRect labelRect = DrawLabel(painter, row);
    // A changed value: a bar at the row's left edge and the value in bold.
    if (changed) {
        painter.fillRect(QRect(row.left(), row.top() + 6, kChangedBarWidth, row.height() - 12),
                         FrmwkGetColor(COLOR_CHANGED));
        QFont bold = painter.font();
        bold.setBold(true);
        painter.setFont(bold);
    }
    // A read-only view shows its values as text that cannot be used.
    const QColor valueColor = m_state.IsReadOnly() ? FrmwkGetColor(COLOR_TEXT_DIM)
                              : m_selected         ? kPurple
                                                   : kBlue;
    std::string text;
    GetValueText(text);
    // A finger need not find the value's text: the whole room after the label is the value.
    const QRect area(QPoint(labelRect.right() + 1, labelRect.top()),
                     QPoint(row.right(), labelRect.bottom()));
    if (!text.empty()) {
        const QString value = QString::fromStdString(text);
        QRect valueRect = painter.fontMetrics().boundingRect(
            QRect(labelRect.right() + 10, row.top(), row.right() - labelRect.right(), row.height()),
            kTextFlags, value);
        valueRect.setTop(labelRect.top());
        valueRect.setBottom(labelRect.bottom());
        painter.setPen(valueColor);
        painter.drawText(valueRect, kTextFlags, value);
        m_valueRect = valueRect;
        m_valueArea = area;
        const int underline = valueRect.bottom() - 7;
        painter.drawLine(valueRect.left(), underline, valueRect.right(), underline);
    } else if (OffersChange()) {
        // Nothing to show, but a value can be set.
        m_valueArea = area;
    }
    painter.restore();
}

bool CConfigItem::BeginChange() {
    if (!m_owner)
        return false;
    if (m_state.IsReadOnly()) {
        TellNotAuthorized("Security", m_owner);
        return false;
    }
    // What the document does from here on, rules included, follows this change.
    m_state.BeginUserChange({Label(), Binding()});
    return true;
}

bool CConfigItem::WriteChosenValue(const Variant& value) {
    const HRESULT hr = PutAttributeValue(value);
    if (SUCCEEDED(hr)) {
        // A document without the attribute takes no write; the user must not believe it did.
        Variant now;
        GetAttributeValue(now);
        if (now.equalsAsText(value))
            return true;
        ShowMissingSetting();
        return false;
    }
    prompter().messageBox(ComErrorText(hr), Label(), MB_TOUCH_ERROR, m_owner);
    // A write that reached the document but not the server still changed the document.
    Variant now;
    GetAttributeValue(now);
    return now.equalsAsText(value);
}

void CConfigItem::ShowMissingSetting() {
    prompter().messageBox(
        "This setting is missing from the configuration, so it cannot be changed.", Label(),
        MB_TOUCH_WARNING, m_owner);
}

Variant CConfigItem::RefreshPreviousValue() {
    GetAttributeValue(m_previousValue);
    return m_previousValue;
}

namespace {

template <class T> void readDocument(CConfigState& state, const std::string& xpath, T& value) {
    std::shared_ptr<XmlDocument> document;
    state.GetConfigDocument(document);
    if (document)
        ReadXPathTypedValue(document->documentNode(), xpath, value);
}

} // namespace

void CConfigItem::ReadDocumentValue(const std::string& xpath, std::int32_t& value) {
    readDocument(m_state, xpath, value);
}

void CConfigItem::ReadDocumentValue(const std::string& xpath, std::string& value) {
    readDocument(m_state, xpath, value);
}
