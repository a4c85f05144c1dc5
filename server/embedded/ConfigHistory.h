#pragma once
// Every configuration the server stores, kept in history.sqlite in the state directory: the
// document (compressed), when, by whom and from where, why (a commit, the default stored by
// the server, a file found on disk that the server did not write), the channels that
// restarted and the change report. Several processes may share the directory; SQLite locks
// the file and the write-ahead log lets readers go on while one writes.
//
// The history is an addition to the stored configuration: a database that cannot be opened
// or written never stops a commit. Each failure is told through the report, with its reason,
// and returned. A database SQLite finds corrupt is kept aside under a new name and a new one
// is started in its place.

#include "platform/HResult.h"
#include "server/IConfigHistory.h"
#include "server/LastError.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

// One event of the audit kept with the history: a logon, a commit, a protocol user or remote
// hosts change, accepted or not. A password never is one of its texts.
struct AuditEvent {
    qint64 id = 0;
    QDateTime time = {};      // UTC; now when none is given
    std::string event = {};   // kLogon, kCommit, kProtocolUser or kRemoteHosts
    std::string outcome = {}; // kAccepted, kRefused or kFailed
    std::string user = {};
    std::string address = {};
    std::string detail = {};

    static constexpr const char* kLogon = "logon";
    static constexpr const char* kCommit = "commit";
    static constexpr const char* kProtocolUser = "protocol-user";
    static constexpr const char* kRemoteHosts = "remote-hosts";
    static constexpr const char* kAccepted = "accepted";
    static constexpr const char* kRefused = "refused";
    static constexpr const char* kFailed = "failed";
};

// {id, time, event, outcome, user, address, detail}.
QJsonObject AuditEventJson(const AuditEvent& event);

// What the history keeps: entries younger than the days, and at most the entries; zero for
// either means no limit by it. Audit events are kept as long as the days say.
struct HistoryRetention {
    int days = 365;
    qint64 entries = 0;

    // TRELLIS_HISTORY_DAYS and TRELLIS_HISTORY_ENTRIES, each a whole number from 0; a value
    // that is not one leaves the default and is named in refusals.
    static HistoryRetention fromEnvironment(std::vector<std::string>* refusals = nullptr);
};

class ConfigHistory : public IConfigHistory {
public:
    using Report = std::function<void(HRESULT status, const std::string& text)>;
    static constexpr const char* kFileName = "history.sqlite";

    ConfigHistory(QString directory, Report report, HistoryRetention retention);
    ~ConfigHistory() override;
    ConfigHistory(const ConfigHistory&) = delete;
    ConfigHistory& operator=(const ConfigHistory&) = delete;

    // Adds an entry (its time is now when none is given) and prunes what the retention no
    // longer keeps; the entry gets its id.
    HRESULT record(HistoryEntry& entry, const QByteArray& document);
    // Reading entries: ListHistory and GetHistoryEntry, as every reader of a history does.
    // The newest entry; S_FALSE when the history is empty.
    HRESULT newest(HistoryEntry& found);
    HRESULT count(qint64& entries);

    // Adds an audit event; the event gets its id.
    HRESULT audit(AuditEvent& event);
    // The audit events from the time on (every one kept when the time is not valid), oldest
    // first.
    HRESULT auditSince(const QDateTime& since, std::vector<AuditEvent>& events);

    HRESULT ListHistory(qint64 before, int count, std::vector<HistoryEntry>& entries) override;
    HRESULT GetHistoryEntry(qint64 id, HistoryEntry& entry, std::string& configuration) override;
    std::string LastErrorText() override { return m_last.text(); }
    // The last failure the history told, whatever the call.
    std::string LastFailureText() const { return m_told.text(); }

    // The name a corrupt database was kept aside as, since this object opened the history.
    std::optional<QString> keptAside() const;

private:
    class Statement;

    HRESULT list(std::vector<HistoryEntry>& entries, qint64 beforeId, int limit);
    HRESULT entry(qint64 id, HistoryEntry& found, QByteArray* document);

    // Opens the database when it is not open; a corrupt one is kept aside first.
    HRESULT open();
    void close();
    // Runs work on the open database; a database found corrupt is kept aside and the work
    // run once more on a new one. Failures are reported with what was being done.
    HRESULT run(const char* what, const std::function<int()>& work);
    int prune();
    HRESULT keepAside();
    std::string lastError() const;
    // Reports a failure, and keeps its text for LastErrorText().
    void tell(HRESULT status, const std::string& text);

    QString m_directory;
    Report m_report;
    HistoryRetention m_retention;
    sqlite3* m_db = nullptr;
    std::optional<QString> m_keptAside;
    std::string m_failure; // what failed in the work run() runs, told after a rollback
    LastError m_told;      // the last failure told, for LastErrorText()
    LastError m_last;
    mutable std::mutex m_mutex;
};
