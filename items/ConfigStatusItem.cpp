#include "ConfigStatusItem.h"

#include "platform/Metrics.h"

#include <QPainter>

CConfigStatusItem::CConfigStatusItem(int labelId, int channelIndex, std::string statusName,
                                     const Variant& initialValue)
    : CConfigItem(labelId, std::string(), std::string(), 0, nullptr), m_channelIndex(channelIndex),
      m_statusName(std::move(statusName)), m_statusValue(initialValue) {}

bool CConfigStatusItem::IsLit() const {
    bool lit = false;
    return SUCCEEDED(m_statusValue.toBool(lit)) && lit;
}

bool CConfigStatusItem::UpdateStatus() {
    if (m_statusName.empty())
        return false;
    Variant value;
    state().GetChanStatus(m_channelIndex, m_statusName, value);
    if (value == m_statusValue)
        return false;
    m_statusValue = value;
    SetNeedsRedraw(true);
    return true;
}

void CConfigStatusItem::Draw(QPainter& painter, const QRect& row) {
    if (!IsVisible())
        return;
    painter.save();
    painter.setFont(FrmwkGetFont(FONT_NORMAL));
    painter.fillRect(row, FrmwkGetColor(COLOR_BACKGROUND));
    painter.setRenderHint(QPainter::Antialiasing);
    const int indent = 2 * FrmwkGetMetrics(METRIC_MARGIN);
    // A 16-pixel light: green when the status holds, dark grey when not.
    const QRect light(row.left() + 15 + indent, row.top() - 8 + row.height() / 2, 16, 16);
    painter.setPen(QColor(60, 60, 60));
    painter.setBrush(IsLit() ? QColor(40, 200, 60) : QColor(120, 120, 120));
    painter.drawEllipse(light.adjusted(1, 1, -1, -1));
    painter.setPen(FrmwkGetColor(COLOR_TEXT));
    painter.drawText(row.adjusted(35 + indent, 0, 0, 0),
                     Qt::TextSingleLine | Qt::AlignVCenter | Qt::TextShowMnemonic,
                     QString::fromStdString(Label()));
    painter.restore();
}
