#include "HelpDialog.h"

#include "platform/Metrics.h"
#include "platform/TouchWidgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

CHelpDialog::CHelpDialog(const QUrl& page, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Help"));
    resize(FrmwkGetMetrics(METRIC_WIDE_DIALOG_WIDTH), FrmwkGetMetrics(METRIC_WIDE_DIALOG_HEIGHT));
    applyTouchBackground(this);
    auto* column = new QVBoxLayout(this);
    column->addWidget(makeCaptionHeading(this));
    m_browser = new QTextBrowser(this);
    m_browser->setFont(FrmwkGetFont(FONT_NORMAL));
    m_browser->setOpenExternalLinks(false);
    makeScrollBarWide(m_browser);
    m_browser->setSource(page);
    m_loaded = !m_browser->toPlainText().isEmpty();
    column->addWidget(m_browser, 1);

    auto* row = new QHBoxLayout;
    QPushButton* close = makeTouchButton(QStringLiteral("Close"), this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    row->addStretch();
    row->addWidget(close);
    column->addLayout(row);
}
