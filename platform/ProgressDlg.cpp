#include "ProgressDlg.h"

#include "Metrics.h"
#include "Prompter.h"

#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QVBoxLayout>

CProgressDlg::CProgressDlg(const QString& text, const QString& caption, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(caption);
    resize(FrmwkGetMetrics(METRIC_DIALOG_WIDTH), FrmwkGetMetrics(METRIC_DIALOG_HEIGHT) / 2);
    auto* column = new QVBoxLayout(this);
    m_text = new QLabel(text, this);
    m_text->setFont(FrmwkGetFont(FONT_HEADING));
    m_text->setAlignment(Qt::AlignCenter);
    column->addWidget(m_text);
    m_bar = new QProgressBar(this);
    m_bar->setTextVisible(false);
    m_bar->setMinimumHeight(TouchTargetHeight() / 2);
    column->addWidget(m_bar);
}

void CProgressDlg::SetRange(int minimum, int maximum) {
    m_bar->setRange(minimum, maximum);
}

void CProgressDlg::SetSweepColor(const QColor& color) {
    m_bar->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: %1; }"
                                        "QProgressBar { background: %2; border: 1px solid %2; }")
                             .arg(color.name(), FrmwkGetColor(COLOR_SELECTION).name()));
}

void CProgressDlg::SetPos(int position) {
    QMetaObject::invokeMethod(
        m_bar, [bar = m_bar, position] { bar->setValue(position); }, Qt::QueuedConnection);
}

void CProgressDlg::Close() {
    QMetaObject::invokeMethod(
        this, [this] { done(IDOK); }, Qt::QueuedConnection);
}

int CProgressDlg::Position() const {
    return m_bar->value();
}

QString CProgressDlg::Text() const {
    return m_text->text();
}
