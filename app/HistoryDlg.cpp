#include "HistoryDlg.h"

#include "HistoryModel.h"

#include "platform/Metrics.h"
#include "platform/Prompter.h"
#include "platform/TouchWidgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <fmt/format.h>

#include <algorithm>

namespace {

constexpr int kMostMarks = 2;

const QString kTitle = QStringLiteral("History");

QString entryWords(const HistoryEntry& entry) {
    return QStringLiteral("entry %1 of %2").arg(entry.id).arg(HistoryTime(entry));
}

// An entry as the report pane names it.
QString entryHeading(const HistoryEntry& entry) {
    const QString time = HistoryTime(entry);
    if (entry.origin == HistoryEntry::kCommit)
        return QStringLiteral("Entry %1, committed %2 by %3")
            .arg(entry.id)
            .arg(time, QString::fromStdString(HistoryAuthor(entry)));
    // A user's default is a Restore of defaults; the server's, its first use.
    if (entry.origin == HistoryEntry::kDefault)
        return QStringLiteral("Entry %1, the default configuration, stored %2")
                   .arg(entry.id)
                   .arg(time) +
               (entry.user.empty()
                    ? QString()
                    : QStringLiteral(" by ") + QString::fromStdString(HistoryAuthor(entry)));
    if (entry.origin == HistoryEntry::kFound)
        return QStringLiteral("Entry %1, found on the server %2").arg(entry.id).arg(time);
    return QStringLiteral("Entry %1, stored %2").arg(entry.id).arg(time);
}

// The differences, under a heading that says what is compared with what, to read and close.
void showDifferences(const QString& heading, const std::vector<std::string>& lines,
                     QWidget* parent) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Compare"));
    dialog.resize(FrmwkGetMetrics(METRIC_WIDE_DIALOG_WIDTH),
                  FrmwkGetMetrics(METRIC_WIDE_DIALOG_HEIGHT));
    applyTouchBackground(&dialog);
    auto* column = new QVBoxLayout(&dialog);
    column->addWidget(makeCaptionHeading(&dialog));
    auto* label = new QLabel(heading, &dialog);
    label->setObjectName(QStringLiteral("CompareHeading"));
    label->setFont(FrmwkGetFont(FONT_NORMAL));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    column->addWidget(label);
    auto* text = new QPlainTextEdit(&dialog);
    text->setObjectName(QStringLiteral("Differences"));
    text->setReadOnly(true);
    text->setFont(FrmwkGetFont(FONT_NORMAL));
    makeScrollBarWide(text);
    QString all;
    for (const std::string& line : lines)
        all += QString::fromStdString(line) + QLatin1Char('\n');
    text->setPlainText(lines.empty() ? QStringLiteral("The two configurations are the same.")
                                     : all.chopped(1));
    column->addWidget(text, 1);
    auto* row = new QHBoxLayout;
    QPushButton* close = makeTouchButton(QStringLiteral("Close"), &dialog);
    close->setDefault(true);
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);
    row->addStretch();
    row->addWidget(close);
    column->addLayout(row);
    prompter().runDialog(dialog);
}

} // namespace

CHistoryDlg::CHistoryDlg(std::shared_ptr<IConfigHistory> history, Sheet sheet, QWidget* parent)
    : QDialog(parent), m_history(std::move(history)), m_sheet(std::move(sheet)) {
    setWindowTitle(kTitle);
    resize(FrmwkGetMetrics(METRIC_WIDE_DIALOG_WIDTH), FrmwkGetMetrics(METRIC_WIDE_DIALOG_HEIGHT));
    applyTouchBackground(this);
    auto* column = new QVBoxLayout(this);
    column->addWidget(makeCaptionHeading(this));
    m_notice = makeNoteLabel(this, QStringLiteral("Notice"));
    column->addWidget(m_notice);

    m_model = new HistoryListModel(m_history, m_sheet.channelName, this);
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("HistoryList"));
    m_list->setFont(FrmwkGetFont(FONT_NORMAL));
    m_list->setUniformItemSizes(true);
    m_list->setAlternatingRowColors(true);
    m_list->setTextElideMode(Qt::ElideRight);
    m_list->setWordWrap(false);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    // Marks follow touches, not the view's own rules: the dialog sets the selection.
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    // Nor does a focus frame on the first row look like a mark.
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    makeScrollBarWide(m_list);
    // Two lines a row, with room around them for a finger.
    m_model->SetRowHeight(std::max(TouchTargetHeight(), 2 * m_list->fontMetrics().lineSpacing() +
                                                            FrmwkGetMetrics(METRIC_MARGIN)));
    m_list->setModel(m_model);
    connect(m_list, &QListView::clicked, this,
            [this](const QModelIndex& index) { TouchRow(index.row()); });
    column->addWidget(m_list, 3);

    m_report = new QPlainTextEdit(this);
    m_report->setObjectName(QStringLiteral("EntryReport"));
    m_report->setReadOnly(true);
    m_report->setFont(FrmwkGetFont(FONT_NORMAL));
    m_report->setPlaceholderText(QStringLiteral(
        "Touch an entry to see its report. Compare takes two entries, or one entry and the "
        "sheet's configuration."));
    makeScrollBarWide(m_report);
    column->addWidget(m_report, 2);

    auto* buttons = new QHBoxLayout;
    m_compare = makeTouchButton(QStringLiteral("Compare"), this);
    m_load = makeTouchButton(QStringLiteral("Load"), this);
    QPushButton* close = makeTouchButton(QStringLiteral("Close"), this);
    close->setDefault(true);
    connect(m_compare, &QPushButton::clicked, this, &CHistoryDlg::Compare);
    connect(m_load, &QPushButton::clicked, this, &CHistoryDlg::Load);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(m_compare);
    buttons->addWidget(m_load);
    buttons->addStretch();
    buttons->addWidget(close);
    column->addLayout(buttons);

    const auto tellFailure = [this](const QString& reason) {
        showNote(m_notice, QStringLiteral("The history could not be read: ") + reason);
    };
    connect(m_model, &HistoryListModel::readFailed, this, tellFailure);
    if (!m_model->FailureText().isEmpty())
        tellFailure(m_model->FailureText());
    else if (m_model->rowCount() == 0)
        showNote(m_notice, QStringLiteral("The history holds no configuration."));
    showMarks();
}

CHistoryDlg::~CHistoryDlg() = default;

void CHistoryDlg::TouchRow(int row) {
    if (row < 0 || row >= m_model->rowCount())
        return;
    const auto marked = std::find(m_marked.begin(), m_marked.end(), row);
    if (marked != m_marked.end())
        m_marked.erase(marked);
    else {
        m_marked.push_back(row);
        if (m_marked.size() > kMostMarks)
            m_marked.erase(m_marked.begin());
    }
    showMarks();
}

void CHistoryDlg::showMarks() {
    QItemSelection selection;
    for (const int row : m_marked)
        selection.select(m_model->index(row), m_model->index(row));
    m_list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    m_compare->setEnabled(!m_marked.empty());
    m_load->setEnabled(m_marked.size() == 1);
    // The report of the entry touched last.
    if (m_marked.empty()) {
        m_report->clear();
        return;
    }
    const HistoryEntry& entry = m_model->Entry(m_marked.back());
    QString text = entryHeading(entry);
    const std::string restarted = m_model->RestartedText(entry);
    if (!restarted.empty())
        text += QStringLiteral("\nRestarted: ") + QString::fromStdString(restarted);
    text += QStringLiteral("\n\n") + (entry.report.empty() ? QStringLiteral("No report was kept.")
                                                           : QString::fromStdString(entry.report));
    m_report->setPlainText(text);
}

bool CHistoryDlg::readEntry(const HistoryEntry& entry, XmlDocument& document) {
    HistoryEntry read;
    std::string text;
    const HRESULT hr = m_history->GetHistoryEntry(entry.id, read, text);
    if (FAILED(hr)) {
        // Pruned by the retention since the list was read, say.
        const std::string reason = hr == HRESULT_NOT_FOUND ? "It is no longer in the history."
                                                           : ServerFailureText(m_history.get(), hr);
        prompter().messageBox(fmt::format("Entry {} could not be read.\n{}", entry.id, reason),
                              kTitle.toStdString(), MB_TOUCH_ERROR, this);
        return false;
    }
    if (document.loadBytes(text) != S_OK) {
        prompter().messageBox(fmt::format("Entry {} does not hold well-formed XML.", entry.id),
                              kTitle.toStdString(), MB_TOUCH_ERROR, this);
        return false;
    }
    return true;
}

void CHistoryDlg::Compare() {
    if (m_marked.empty() || !m_sheet.words)
        return;
    std::vector<const HistoryEntry*> entries;
    for (const int row : m_marked)
        entries.push_back(&m_model->Entry(row));
    // Older to newer, whichever was touched first.
    std::sort(entries.begin(), entries.end(),
              [](const HistoryEntry* a, const HistoryEntry* b) { return a->id < b->id; });
    XmlDocument before;
    if (!readEntry(*entries.front(), before))
        return;
    if (entries.size() == 1) {
        if (!m_sheet.document)
            return;
        showDifferences(QStringLiteral("From %1 to the sheet's configuration")
                            .arg(entryWords(*entries.front())),
                        m_sheet.words(before, *m_sheet.document), this);
        return;
    }
    XmlDocument after;
    if (!readEntry(*entries.back(), after))
        return;
    showDifferences(QStringLiteral("From %1 to %2")
                        .arg(entryWords(*entries.front()), entryWords(*entries.back())),
                    m_sheet.words(before, after), this);
}

void CHistoryDlg::Load() {
    if (m_marked.size() != 1)
        return;
    if (m_sheet.mayLoad && !m_sheet.mayLoad(this))
        return;
    m_chosen = m_model->Entry(m_marked.front()).id;
    accept();
}
