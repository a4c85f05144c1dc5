#include "ConfigMaskItem.h"

#include "platform/Metrics.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "platform/TouchWidgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

CConfigMaskItem::CConfigMaskItem(int labelId, std::int32_t initialMask, std::string elementXPath,
                                 std::string attributeName, std::uint32_t flags, QObject* owner)
    : CConfigItem(labelId, std::move(elementXPath), std::move(attributeName), flags | ITEM_LOCAL,
                  owner) {
    SetLocalValue(Variant(initialMask));
}

std::string CConfigMaskItem::ValueText(const Variant& value) const {
    std::int32_t mask = 0;
    value.toInt32(mask);
    if (mask == 0)
        return LoadString(IDS_NONE);
    std::string text;
    for (std::size_t i = 0; i < m_options.size() && i < 32; ++i) {
        if (mask & (1u << i))
            text += m_options[i] + " ";
    }
    return text;
}

bool CConfigMaskItem::TrackPopup(QPoint) {
    if (!BeginChange())
        return false;
    const Variant previous = RefreshPreviousValue();
    std::int32_t mask = 0;
    previous.toInt32(mask);

    CConfigMaskDlg dialog(mask, OwnerWidget());
    dialog.SetOptions(m_options);
    dialog.setWindowTitle(QString::fromStdString(Label()));
    if (prompter().runDialog(dialog) != IDOK)
        return false;
    const std::int32_t chosen = dialog.Mask();
    if (chosen == mask || !WriteChosenValue(Variant(chosen)))
        return false;
    PostChangeMessages();
    SetNeedsRedraw(true);
    return true;
}

CConfigMaskDlg::CConfigMaskDlg(std::int32_t mask, QWidget* owner)
    : QDialog(owner), m_initialMask(mask) {
    if (IsWorkstationMode())
        resize(315, 128);
    else
        resize(FrmwkGetMetrics(METRIC_WIDE_DIALOG_WIDTH), FrmwkGetMetrics(METRIC_DIALOG_HEIGHT));
    applyTouchBackground(this);
    auto* column = new QVBoxLayout(this);
    column->addWidget(makeCaptionHeading(this));
    m_boxLayout = new QVBoxLayout;
    column->addLayout(m_boxLayout);
    column->addStretch();
    // OK ends the dialog with IDOK (QDialog::Accepted); anything else changes nothing.
    column->addLayout(makeOkCancelRow(this));
}

void CConfigMaskDlg::SetOptions(const std::vector<std::string>& options) {
    const int size = FrmwkGetMetrics(METRIC_CHECKBOX_SIZE);
    for (std::size_t i = 0; i < options.size() && i < 32; ++i) {
        auto* box = new QCheckBox(QString::fromStdString(options[i]), this);
        box->setFont(FrmwkGetFont(FONT_NORMAL));
        box->setMinimumHeight(TouchTargetHeight());
        box->setStyleSheet(
            QStringLiteral(
                "QCheckBox { color: %1; } QCheckBox::indicator { width: %2px; height: %2px; }")
                .arg(FrmwkGetColor(COLOR_TEXT).name())
                .arg(size));
        box->setChecked((m_initialMask & (1u << i)) != 0);
        m_boxLayout->addWidget(box);
        m_boxes.push_back(box);
    }
}

std::int32_t CConfigMaskDlg::Mask() const {
    std::int32_t mask = 0;
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        if (m_boxes[i]->isChecked())
            mask |= static_cast<std::int32_t>(1u << i);
    }
    return mask;
}
