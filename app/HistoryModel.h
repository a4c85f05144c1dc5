#pragma once
// The server's history of stored configurations as a list model, newest first. It reads one
// page when made and the next each time the list is scrolled to its end (Qt's fetchMore), so
// that a history of any length opens at once. A failed read stops the reading; its reason is
// kept for FailureText() and told by readFailed.

#include "server/IConfigHistory.h"

#include <QAbstractListModel>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class HistoryListModel : public QAbstractListModel {
    Q_OBJECT
public:
    // The entries read at a time: more than a screen holds.
    static constexpr int kPageSize = 100;
    // Names a channel by its index, for the restarted channels.
    using ChannelName = std::function<std::string(int index)>;

    HistoryListModel(std::shared_ptr<IConfigHistory> history, ChannelName channelName,
                     QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    // Two lines a row: "Entry 12 · 2026-12-08 09:14:05 · admin (192.0.2.1)" and the
    // summary, with the channels that restarted.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // The height of a row; the view's own when 0.
    void SetRowHeight(int height) { m_rowHeight = height; }

    const HistoryEntry& Entry(int row) const { return m_entries.at(static_cast<std::size_t>(row)); }
    // Why the last read failed; empty when none did.
    const QString& FailureText() const { return m_failure; }
    // The channels that restarted, named: "C1, C3"; empty for none.
    std::string RestartedText(const HistoryEntry& entry) const;

signals:
    void readFailed(const QString& text);

private:
    std::shared_ptr<IConfigHistory> m_history;
    ChannelName m_channelName;
    std::vector<HistoryEntry> m_entries;
    bool m_atEnd = false;
    QString m_failure;
    int m_rowHeight = 0;
};

// Who stored an entry and from where: "admin (192.0.2.1)", or "the server" for what it
// stored on its own.
std::string HistoryAuthor(const HistoryEntry& entry);
// When an entry was stored, in this machine's time: "2026-12-08 09:14:05".
QString HistoryTime(const HistoryEntry& entry);
