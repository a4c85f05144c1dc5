#pragma once
// The server's history of stored configurations, as the utility and the tools read it from
// the embedded server or a host's network service: the entries newest first, and one entry
// with the configuration it holds. A failed read leaves its reason for LastErrorText().

#include "IErrorInfo.h"
#include "platform/HResult.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <string>
#include <vector>

// Every member has an initialiser, so that an entry names only the members it has:
// HistoryEntry{.origin = ..., .user = ...}.
struct HistoryEntry {
    qint64 id = 0;                   // given by the history; ids are never reused, pruned or not
    QDateTime time = {};             // UTC
    std::string origin = {};         // kCommit, kDefault or kFound
    std::string user = {};           // empty for what the server did on its own
    std::string address = {};        // where the session came from; "local" for this machine's
    std::vector<int> restarted = {}; // the channel indexes that restarted
    std::string report = {};         // the change report, when one was made
    QString version = {};            // the SHA-256 of the configuration, in hex

    static constexpr const char* kCommit = "commit";
    static constexpr const char* kDefault = "default";
    static constexpr const char* kFound = "found";
};

// The entry as the network service and the tools give it: {id, time, origin, user, address,
// restartedChannelIndexes: [..], report, version}; and back.
QJsonObject HistoryEntryJson(const HistoryEntry& entry);
HistoryEntry HistoryEntryFromJson(const QJsonObject& json);

// The entry's one-line summary: the first line of its report.
std::string HistorySummary(const HistoryEntry& entry);

class IConfigHistory : public IErrorInfo {
public:
    virtual ~IConfigHistory() = default;
    // Newest first: at most count entries older than the entry before (0: from the newest).
    virtual HRESULT ListHistory(qint64 before, int count, std::vector<HistoryEntry>& entries) = 0;
    // One entry and the configuration it holds; HRESULT_NOT_FOUND when there is none.
    virtual HRESULT GetHistoryEntry(qint64 id, HistoryEntry& entry, std::string& configuration) = 0;
};
