#include "HistoryModel.h"

#include "platform/HResult.h"

#include <QSize>

HistoryListModel::HistoryListModel(std::shared_ptr<IConfigHistory> history, ChannelName channelName,
                                   QObject* parent)
    : QAbstractListModel(parent), m_history(std::move(history)),
      m_channelName(std::move(channelName)) {
    fetchMore({});
}

int HistoryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::SizeHintRole && m_rowHeight > 0)
        return QSize(0, m_rowHeight);
    if (role != Qt::DisplayRole)
        return {};
    const HistoryEntry& entry = Entry(index.row());
    QString summary = QString::fromStdString(HistorySummary(entry));
    if (summary.isEmpty())
        summary = QStringLiteral("No report");
    const std::string restarted = RestartedText(entry);
    if (!restarted.empty())
        summary += QStringLiteral(" \u00B7 Restarted: ") + QString::fromStdString(restarted);
    return QStringLiteral("Entry %1 \u00B7 %2 \u00B7 %3\n%4")
        .arg(entry.id)
        .arg(HistoryTime(entry), QString::fromStdString(HistoryAuthor(entry)), summary);
}

bool HistoryListModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !m_atEnd && m_history;
}

void HistoryListModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    const qint64 before = m_entries.empty() ? 0 : m_entries.back().id;
    std::vector<HistoryEntry> page;
    const HRESULT hr = m_history->ListHistory(before, kPageSize, page);
    if (FAILED(hr)) {
        // Reading on would fail the same way at every scroll: the list stops here and says why.
        m_atEnd = true;
        const std::string reason = m_history->LastErrorText();
        m_failure = QString::fromStdString(reason.empty() ? ComErrorText(hr) : reason);
        emit readFailed(m_failure);
        return;
    }
    // Only an empty page ends the list: a service may give fewer entries than asked for.
    m_atEnd = page.empty();
    if (m_atEnd)
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(page.size()) - 1);
    m_entries.insert(m_entries.end(), std::make_move_iterator(page.begin()),
                     std::make_move_iterator(page.end()));
    endInsertRows();
}

std::string HistoryListModel::RestartedText(const HistoryEntry& entry) const {
    std::string text;
    for (const int index : entry.restarted)
        text += (text.empty() ? "" : ", ") +
                (m_channelName ? m_channelName(index) : std::to_string(index + 1));
    return text;
}

std::string HistoryAuthor(const HistoryEntry& entry) {
    if (entry.user.empty())
        return "the server";
    return entry.address.empty() ? entry.user : entry.user + " (" + entry.address + ")";
}

QString HistoryTime(const HistoryEntry& entry) {
    return entry.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
