#include "ReviewChangesDlg.h"

#include "ReviewText.h"

#include "platform/Metrics.h"
#include "platform/TouchWidgets.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QTreeWidgetItem* addLine(QTreeWidgetItem* parent, const std::string& text) {
    auto* item = new QTreeWidgetItem(parent, QStringList(QString::fromStdString(text)));
    item->setSizeHint(0, QSize(0, FrmwkGetMetrics(METRIC_ROW_HEIGHT)));
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

} // namespace

CReviewChangesDlg::CReviewChangesDlg(const ConfigReview& review, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Review Changes"));
    resize(FrmwkGetMetrics(METRIC_WIDE_DIALOG_WIDTH), FrmwkGetMetrics(METRIC_WIDE_DIALOG_HEIGHT));
    applyTouchBackground(this);
    auto* column = new QVBoxLayout(this);

    // A touch screen shows no window frame: the title stands inside.
    auto* title = new QLabel(windowTitle(), this);
    title->setFont(FrmwkGetFont(FONT_HEADING));
    column->addWidget(title);

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("ReviewList"));
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setFont(FrmwkGetFont(FONT_NORMAL));
    m_tree->setWordWrap(true);
    m_tree->setIndentation(FrmwkGetMetrics(METRIC_MARGIN) * 2);
    m_tree->setSelectionMode(QAbstractItemView::NoSelection);
    m_tree->setFocusPolicy(Qt::NoFocus);
    makeScrollBarWide(m_tree);
    // A touch anywhere on an entry opens or closes the changes made by its rules.
    connect(m_tree, &QTreeWidget::itemClicked, this, [](QTreeWidgetItem* item) {
        if (item->childCount() > 0)
            item->setExpanded(!item->isExpanded());
    });
    column->addWidget(m_tree, 1);

    m_restart = new QLabel(this);
    m_restart->setObjectName(QStringLiteral("RestartLine"));
    m_restart->setFont(FrmwkGetFont(FONT_NORMAL));
    m_restart->setWordWrap(true);
    column->addWidget(m_restart);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_back = makeTouchButton(QStringLiteral("Back"), this);
    m_commit = makeTouchButton(QStringLiteral("Commit"), this);
    m_commit->setDefault(true);
    connect(m_back, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_commit, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(m_back);
    buttons->addWidget(m_commit);
    column->addLayout(buttons);

    fill(review);
}

void CReviewChangesDlg::fill(const ConfigReview& review) {
    for (const ReviewGroup& group : review.groups) {
        auto* heading =
            new QTreeWidgetItem(m_tree, QStringList(QString::fromStdString(GroupHeading(group))));
        heading->setSizeHint(0, QSize(0, FrmwkGetMetrics(METRIC_ROW_HEIGHT)));
        heading->setFlags(Qt::ItemIsEnabled);
        heading->setFont(0, FrmwkGetFont(FONT_HEADING));
        for (const ReviewEntry& entry : group.entries) {
            const std::string caused = CausedLine(entry);
            QTreeWidgetItem* line =
                addLine(heading,
                        caused.empty() ? EntryLine(entry) : EntryLine(entry) + " \u2014 " + caused);
            for (std::size_t i = entry.ownCount; i < entry.changes.size(); ++i)
                addLine(line, EntryLine(DescribeChange(entry.changes[i])));
        }
        heading->setExpanded(true);
    }
    const std::string restart = RestartLine(review);
    m_restart->setText(QString::fromStdString(restart));
    m_restart->setVisible(!restart.empty());
}
