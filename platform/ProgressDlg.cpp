#include "ProgressDlg.h"

#include "Metrics.h"
#include "Prompter.h"
#include "TouchWidgets.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimerEvent>
#include <QVBoxLayout>

CProgressDlg::CProgressDlg(const QString& text, const QString& caption, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(caption);
    resize(FrmwkGetMetrics(METRIC_DIALOG_WIDTH), FrmwkGetMetrics(METRIC_DIALOG_HEIGHT) / 2);
    auto* column = new QVBoxLayout(this);
    column->addWidget(makeCaptionHeading(this));
    m_text = new QLabel(text, this);
    m_text->setFont(FrmwkGetFont(FONT_HEADING));
    m_text->setAlignment(Qt::AlignCenter);
    column->addWidget(m_text);
    m_bar = new QProgressBar(this);
    m_bar->setTextVisible(false);
    m_bar->setMinimumHeight(TouchTargetHeight() / 2);
    column->addWidget(m_bar);
    m_requestTimer = startTimer(kRequestTickMs);
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
    m_requestedPosition.store(position);
}

void CProgressDlg::Close() {
    m_closeRequested.store(true);
}

void CProgressDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_requestTimer) {
        QDialog::timerEvent(event);
        return;
    }
    const int position = m_requestedPosition.exchange(kNoPosition);
    if (position != kNoPosition)
        m_bar->setValue(position);
    if (m_closeRequested.exchange(false))
        done(IDOK);
}

int CProgressDlg::Position() const {
    return m_bar->value();
}

QString CProgressDlg::Text() const {
    return m_text->text();
}
