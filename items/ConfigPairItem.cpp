#include "ConfigPairItem.h"

#include "platform/Metrics.h"

#include <QPainter>

CConfigPairItem::CConfigPairItem(std::string firstText, std::string secondText, std::uint32_t flags,
                                 QObject* owner)
    : CConfigItem(firstText, std::string(), std::string(), flags, owner),
      m_firstText(std::move(firstText)), m_secondText(std::move(secondText)) {}

void CConfigPairItem::SetTexts(std::string firstText, std::string secondText) {
    m_firstText = std::move(firstText);
    m_secondText = std::move(secondText);
    SetNeedsRedraw(true);
}

bool CConfigPairItem::HitTest(QPoint) const {
    return true;
}

bool CConfigPairItem::TrackPopup(QPoint) {
    return false;
}

void CConfigPairItem::Draw(QPainter& painter, const QRect& row) {
    if (!IsVisible())
        return;
    painter.save();
    painter.setFont(FrmwkGetFont(FONT_NORMAL));
    painter.setRenderHint(QPainter::Antialiasing);
    const int margin = FrmwkGetMetrics(METRIC_MARGIN);
    if (IsSelected()) {
        // A bar with a rounded right end behind the selected row.
        painter.fillRect(row, FrmwkGetColor(COLOR_BACKGROUND));
        const QRect bar = row.adjusted(margin, 0, 0, 0);
        const int half = bar.height() / 2;
        painter.setPen(FrmwkGetColor(COLOR_SELECTION_EDGE));
        painter.setBrush(FrmwkGetColor(COLOR_SELECTION));
        painter.drawEllipse(QRect(bar.right() - 2 * half, bar.top(), 2 * half, bar.height() - 1));
        painter.fillRect(QRect(bar.left(), bar.top(), bar.width() - half, bar.height()),
                         FrmwkGetColor(COLOR_SELECTION));
        painter.drawLine(bar.left(), bar.top(), bar.right() - half, bar.top());
        painter.drawLine(bar.left(), bar.bottom(), bar.right() - half, bar.bottom());
        painter.setPen(FrmwkGetColor(COLOR_TEXT_SELECTED));
    } else {
        painter.fillRect(row, FrmwkGetColor(COLOR_BACKGROUND));
        painter.setPen(FrmwkGetColor(COLOR_TEXT));
    }
    constexpr int flags = Qt::TextSingleLine | Qt::AlignVCenter | Qt::AlignLeft;
    painter.drawText(row.adjusted(2 * margin, 0, 0, 0), flags, QString::fromStdString(m_firstText));
    painter.drawText(row.adjusted(row.width() / 2 + margin, 0, 0, 0), flags,
                     QString::fromStdString(m_secondText));
    painter.restore();
}
