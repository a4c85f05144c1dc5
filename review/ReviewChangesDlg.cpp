#include "ReviewChangesDlg.h"

#include "ReviewText.h"

#include "platform/Metrics.h"
#include "platform/TouchWidgets.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

// How far a line stands in under its heading, by level.
int indentOf(int level) {
    return FrmwkGetMetrics(METRIC_MARGIN) * 2 * level;
}

} // namespace

CReviewChangesDlg::CReviewChangesDlg(const ConfigReview& review, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Review Changes"));
    resize(FrmwkGetMetrics(METRIC_WIDE_DIALOG_WIDTH), FrmwkGetMetrics(METRIC_WIDE_DIALOG_HEIGHT));
    applyTouchBackground(this);
    auto* column = new QVBoxLayout(this);

    column->addWidget(makeCaptionHeading(this));

    // The lines wrap rather than lose a value off the edge; the list scrolls by a wide bar.
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("ReviewList"));
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    makeScrollBarWide(m_scroll);
    auto* content = new QWidget(m_scroll);
    m_lines = new QVBoxLayout(content);
    m_lines->setSpacing(FrmwkGetMetrics(METRIC_MARGIN) / 2);
    m_scroll->setWidget(content);
    column->addWidget(m_scroll, 1);

    m_restart = new QLabel(this);
    m_restart->setObjectName(QStringLiteral("RestartLine"));
    m_restart->setFont(FrmwkGetFont(FONT_NORMAL));
    m_restart->setWordWrap(true);
    column->addWidget(m_restart);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_back = makeTouchButton(QStringLiteral("Back"), this);
    m_commit = makeTouchButton(QStringLiteral("Commit"), this);
    // A restart that stops a recording or playing channel is not the default answer.
    (review.stoppedActivities.empty() ? m_commit : m_back)->setDefault(true);
    connect(m_back, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_commit, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(m_back);
    buttons->addWidget(m_commit);
    column->addLayout(buttons);

    fill(review);
}

QLabel* CReviewChangesDlg::addLabel(const std::string& text, int indent) {
    auto* label = new QLabel(QString::fromStdString(text), m_scroll->widget());
    label->setFont(FrmwkGetFont(FONT_NORMAL));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setIndent(indentOf(indent));
    m_lines->addWidget(label);
    return label;
}

void CReviewChangesDlg::fill(const ConfigReview& review) {
    for (const ReviewGroup& group : review.groups) {
        addLabel(GroupHeading(group), 0)->setFont(FrmwkGetFont(FONT_HEADING));
        for (const ReviewEntry& entry : group.entries) {
            addLabel(EntryLine(entry), 1);
            const std::string caused = CausedLine(entry);
            if (caused.empty())
                continue;
            // What rules rewrote after the change: counted on a button that opens the list.
            auto* rules = makeTouchButton(QString::fromStdString(caused), m_scroll->widget());
            rules->setCheckable(true);
            m_ruleButtons.append(rules);
            auto* row = new QHBoxLayout;
            row->addSpacing(indentOf(2));
            row->addWidget(rules);
            row->addStretch();
            m_lines->addLayout(row);
            QList<QLabel*> details;
            for (const std::string& line : CausedChangeLines(entry)) {
                QLabel* detail = addLabel(line, 3);
                detail->hide();
                details.append(detail);
            }
            connect(rules, &QAbstractButton::toggled, this, [details](bool open) {
                for (QLabel* detail : details)
                    detail->setVisible(open);
            });
        }
    }
    m_lines->addStretch();
    const std::string restart = RestartLine(review);
    m_restart->setText(QString::fromStdString(restart));
    m_restart->setVisible(!restart.empty());
}

QStringList CReviewChangesDlg::Lines() const {
    QStringList lines;
    for (int i = 0; i < m_lines->count(); ++i) {
        QLayoutItem* item = m_lines->itemAt(i);
        if (auto* label = qobject_cast<QLabel*>(item->widget()))
            lines << label->text();
        else if (QLayout* row = item->layout()) {
            for (int j = 0; j < row->count(); ++j) {
                if (auto* button = qobject_cast<QAbstractButton*>(row->itemAt(j)->widget()))
                    lines << button->text();
            }
        }
    }
    return lines;
}
