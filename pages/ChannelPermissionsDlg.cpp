#include "ChannelPermissionsDlg.h"

#include "platform/Metrics.h"
#include "platform/Prompter.h"
#include "platform/TouchWidgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

CChannelPermissionsDlg::CChannelPermissionsDlg(const QString& channelId,
                                               const QStringList& accounts,
                                               const QStringList& allowed, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("CChannelPermissionsDlg"));
    setWindowTitle(QStringLiteral("Permissions of channel %1").arg(channelId));
    resize(FrmwkGetMetrics(METRIC_WIDE_DIALOG_WIDTH), FrmwkGetMetrics(METRIC_WIDE_DIALOG_HEIGHT));
    applyTouchBackground(this);
    setStyleSheet(touchStyleSheet());

    auto* column = new QVBoxLayout(this);
    column->addWidget(makeCaptionHeading(this));
    auto* heading =
        new QLabel(QStringLiteral("Accounts that may control channel %1:").arg(channelId), this);
    heading->setFont(FrmwkGetFont(FONT_NORMAL));
    column->addWidget(heading);

    // The accounts scroll when there are more than fit; the box keeps a finger's height.
    auto* list = new QWidget;
    auto* rows = new QVBoxLayout(list);
    const int size = FrmwkGetMetrics(METRIC_CHECKBOX_SIZE);
    for (const QString& account : accounts) {
        auto* box = new QCheckBox(account, list);
        box->setFont(FrmwkGetFont(FONT_NORMAL));
        box->setMinimumHeight(TouchTargetHeight());
        box->setStyleSheet(
            QStringLiteral("QCheckBox::indicator { width: %1px; height: %1px; }").arg(size));
        box->setChecked(allowed.contains(account));
        rows->addWidget(box);
        m_boxes.push_back(box);
    }
    if (accounts.isEmpty())
        rows->addWidget(new QLabel(QStringLiteral("The server has no accounts."), list));
    rows->addStretch();
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(list);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    column->addWidget(scroll, 1);
    column->addLayout(makeOkCancelRow(this));
}

QStringList CChannelPermissionsDlg::Allowed() const {
    QStringList checked;
    for (const QCheckBox* box : m_boxes) {
        if (box->isChecked())
            checked.append(box->text());
    }
    return checked;
}

HRESULT CChannelPermissionsDlg::Present(int, const std::string& channelId,
                                        const QStringList& accounts, QStringList& allowed) {
    CChannelPermissionsDlg dialog(QString::fromStdString(channelId), accounts, allowed);
    if (prompter().runDialog(dialog) != IDOK)
        return S_FALSE;
    allowed = dialog.Allowed();
    return S_OK;
}
