#include "ConfigHistory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QStringList>

#include <fmt/format.h>
#include <sqlite3.h>

#include <charconv>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Waits this long for another process's write before giving up on the history.
constexpr int kBusyTimeoutMs = 5000;

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS entries (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    time TEXT NOT NULL,
    origin TEXT NOT NULL,
    user TEXT NOT NULL,
    address TEXT NOT NULL,
    restarted TEXT NOT NULL,
    report TEXT NOT NULL,
    version TEXT NOT NULL,
    document BLOB NOT NULL
);
CREATE INDEX IF NOT EXISTS entries_time ON entries (time);
CREATE TABLE IF NOT EXISTS audit (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    time TEXT NOT NULL,
    event TEXT NOT NULL,
    outcome TEXT NOT NULL,
    user TEXT NOT NULL,
    address TEXT NOT NULL,
    detail TEXT NOT NULL
);
CREATE INDEX IF NOT EXISTS audit_time ON audit (time);
)";

constexpr const char* kColumns = "id, time, origin, user, address, restarted, report, version";

// Text times sort as the times do: UTC, fixed width, milliseconds.
QString timeText(const QDateTime& time) {
    return time.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz'Z'"));
}

bool isCorrupt(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

HRESULT statusOf(int code) {
    switch (code & 0xff) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
        return S_OK;
    case SQLITE_FULL:
        return HRESULT_WRITE_FAULT;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return E_ACCESSDENIED;
    case SQLITE_CANTOPEN:
        return HRESULT_PATH_NOT_FOUND;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return HRESULT_LOCK_VIOLATION;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return HRESULT_INVALID_DATA;
    case SQLITE_NOMEM:
        return E_OUTOFMEMORY;
    default:
        return E_FAIL;
    }
}

std::string restartedText(const std::vector<int>& channels) {
    std::string text;
    for (const int channel : channels)
        text += (text.empty() ? "" : ",") + std::to_string(channel);
    return text;
}

std::vector<int> restartedOf(const QString& text) {
    std::vector<int> channels;
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int channel = part.toInt(&ok);
        if (ok)
            channels.push_back(channel);
    }
    return channels;
}

// A whole number from 0, as an environment variable holds it; none when unset.
std::optional<qint64> wholeNumber(const char* name, std::vector<std::string>* refusals) {
    const QByteArray text = qgetenv(name);
    if (text.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc() && end == text.data() + text.size() && value >= 0)
        return value;
    if (refusals)
        refusals->push_back(fmt::format("{}=\"{}\" is not a whole number from 0; the history "
                                        "keeps its default",
                                        name, text.toStdString()));
    return std::nullopt;
}

} // namespace

QJsonObject AuditEventJson(const AuditEvent& event) {
    return {{QStringLiteral("id"), event.id},
            {QStringLiteral("time"), event.time.toString(Qt::ISODateWithMs)},
            {QStringLiteral("event"), QString::fromStdString(event.event)},
            {QStringLiteral("outcome"), QString::fromStdString(event.outcome)},
            {QStringLiteral("user"), QString::fromStdString(event.user)},
            {QStringLiteral("address"), QString::fromStdString(event.address)},
            {QStringLiteral("detail"), QString::fromStdString(event.detail)}};
}

HistoryRetention HistoryRetention::fromEnvironment(std::vector<std::string>* refusals) {
    HistoryRetention retention;
    if (const auto days = wholeNumber("TRELLIS_HISTORY_DAYS", refusals))
        retention.days = static_cast<int>(std::min<qint64>(*days, 1'000'000));
    if (const auto entries = wholeNumber("TRELLIS_HISTORY_ENTRIES", refusals))
        retention.entries = *entries;
    return retention;
}

// One prepared statement, finalised when it goes.
class ConfigHistory::Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        m_code = sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    int code() const { return m_code; }
    void bind(int index, const QString& text) {
        const QByteArray bytes = text.toUtf8();
        sqlite3_bind_text(m_statement, index, bytes.constData(), static_cast<int>(bytes.size()),
                          SQLITE_TRANSIENT);
    }
    void bind(int index, const std::string& text) { bind(index, QString::fromStdString(text)); }
    void bind(int index, qint64 value) { sqlite3_bind_int64(m_statement, index, value); }
    void bindBlob(int index, const QByteArray& bytes) {
        sqlite3_bind_blob(m_statement, index, bytes.constData(), static_cast<int>(bytes.size()),
                          SQLITE_TRANSIENT);
    }
    // SQLITE_ROW while there are rows, then SQLITE_DONE, or the failure.
    int step() { return m_code == SQLITE_OK ? sqlite3_step(m_statement) : m_code; }

    qint64 integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    QString text(int column) const {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        return QString::fromUtf8(bytes, sqlite3_column_bytes(m_statement, column));
    }
    QByteArray blob(int column) const {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
        return QByteArray(bytes, sqlite3_column_bytes(m_statement, column));
    }
    // The columns of kColumns, from the first.
    HistoryEntry entry() const {
        HistoryEntry found;
        found.id = integer(0);
        found.time = QDateTime::fromString(text(1), Qt::ISODateWithMs);
        found.origin = text(2).toStdString();
        found.user = text(3).toStdString();
        found.address = text(4).toStdString();
        found.restarted = restartedOf(text(5));
        found.report = text(6).toStdString();
        found.version = text(7);
        return found;
    }

private:
    sqlite3_stmt* m_statement = nullptr;
    int m_code = SQLITE_OK;
};

ConfigHistory::ConfigHistory(QString directory, Report report, HistoryRetention retention)
    : m_directory(std::move(directory)), m_report(std::move(report)), m_retention(retention) {}

ConfigHistory::~ConfigHistory() {
    close();
}

void ConfigHistory::tell(HRESULT status, const std::string& text) {
    m_told.answered(status, text);
    m_report(status, text);
}

HRESULT ConfigHistory::ListHistory(qint64 before, int count, std::vector<HistoryEntry>& entries) {
    const HRESULT status = list(entries, before, count);
    return m_last.answered(status, FAILED(status) ? m_told.text() : std::string());
}

HRESULT ConfigHistory::GetHistoryEntry(qint64 id, HistoryEntry& entry, std::string& configuration) {
    QByteArray document;
    const HRESULT status = this->entry(id, entry, &document);
    configuration = document.toStdString();
    if (status == HRESULT_NOT_FOUND)
        return m_last.answered(status, fmt::format("the history has no entry {}", id));
    return m_last.answered(status, FAILED(status) ? m_told.text() : std::string());
}

std::string ConfigHistory::lastError() const {
    return m_db ? sqlite3_errmsg(m_db) : "the database is not open";
}

void ConfigHistory::close() {
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

HRESULT ConfigHistory::open() {
    if (m_db)
        return S_OK;
    const QString name = QDir(m_directory).filePath(kFileName);
    const QByteArray path = QFile::encodeName(name);
    // The owner's only, as every file of the state: SQLite gives its log and index files
    // the database's own permissions.
    if (!QFile::exists(name)) {
        const int made = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (made >= 0)
            ::close(made);
    }
    if (QFileInfo(name).isFile())
        QFile::setPermissions(name, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    int code = sqlite3_open_v2(path.constData(), &m_db,
                               SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                               nullptr);
    if (code == SQLITE_OK) {
        sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
        // With the write-ahead log, NORMAL loses nothing to a killed process; only a power
        // cut may lose the last entries, never the stored configuration.
        code = sqlite3_exec(m_db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL", nullptr,
                            nullptr, nullptr);
    }
    if (code == SQLITE_OK)
        code = sqlite3_exec(m_db, kSchema, nullptr, nullptr, nullptr);
    if (code == SQLITE_OK)
        return S_OK;
    const HRESULT status = statusOf(code);
    if (isCorrupt(code))
        return status; // the caller keeps it aside
    tell(status, fmt::format("The history database {} could not be opened: {}", name.toStdString(),
                             lastError()));
    close();
    return status;
}

HRESULT ConfigHistory::keepAside() {
    close();
    QDir directory(m_directory);
    const QString base =
        QStringLiteral("history.corrupt-") +
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString name = base + QStringLiteral(".sqlite");
    for (int copy = 2; directory.exists(name); ++copy)
        name = QStringLiteral("%1-%2.sqlite").arg(base).arg(copy);
    if (!directory.rename(kFileName, name)) {
        tell(HRESULT_WRITE_FAULT,
             fmt::format("The history database {} is corrupt and could not be kept aside "
                         "as {}; the history records nothing until it is moved away.",
                         directory.filePath(kFileName).toStdString(), name.toStdString()));
        return HRESULT_WRITE_FAULT;
    }
    // The log and index of the corrupt file go with it, so that the new one does not take them.
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString from = QString::fromLatin1(kFileName) + QLatin1String(suffix);
        if (directory.exists(from))
            directory.rename(from, name + QLatin1String(suffix));
    }
    m_keptAside = name;
    m_report(HRESULT_INVALID_DATA, fmt::format("The history database was corrupt: it is kept as "
                                               "{} and a new history is started.",
                                               name.toStdString()));
    return S_OK;
}

HRESULT ConfigHistory::run(const char* what, const std::function<int()>& work) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        HRESULT status = open();
        int code = SQLITE_OK;
        m_failure.clear();
        if (SUCCEEDED(status)) {
            code = work();
            if (code == SQLITE_OK || code == SQLITE_DONE || code == SQLITE_ROW)
                return S_OK;
            status = statusOf(code);
        } else if (status == HRESULT_INVALID_DATA) {
            code = SQLITE_CORRUPT;
        } else {
            return status; // reported as it was opened
        }
        if (!isCorrupt(code) || attempt > 0) {
            tell(status, fmt::format("The history could not {}: {}", what,
                                     m_failure.empty() ? lastError() : m_failure));
            return status;
        }
        const HRESULT aside = keepAside();
        if (FAILED(aside))
            return aside;
    }
    return E_UNEXPECTED;
}

int ConfigHistory::prune() {
    if (m_retention.days > 0) {
        Statement old(m_db, "DELETE FROM entries WHERE time < ?1 AND id <> "
                            "(SELECT MAX(id) FROM entries)");
        old.bind(1, timeText(QDateTime::currentDateTimeUtc().addDays(-m_retention.days)));
        if (const int code = old.step(); code != SQLITE_DONE)
            return code;
    }
    if (m_retention.entries > 0) {
        Statement many(m_db, "DELETE FROM entries WHERE id NOT IN "
                             "(SELECT id FROM entries ORDER BY id DESC LIMIT ?1)");
        many.bind(1, m_retention.entries);
        if (const int code = many.step(); code != SQLITE_DONE)
            return code;
    }
    return SQLITE_DONE;
}

HRESULT ConfigHistory::record(HistoryEntry& entry, const QByteArray& document) {
    std::lock_guard lock(m_mutex);
    if (!entry.time.isValid())
        entry.time = QDateTime::currentDateTimeUtc();
    const QByteArray compressed = qCompress(document);
    return run("record the configuration", [&] {
        int code = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if (code != SQLITE_OK)
            return code;
        Statement insert(m_db,
                         "INSERT INTO entries (time, origin, user, address, restarted, "
                         "report, version, document) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
        insert.bind(1, timeText(entry.time));
        insert.bind(2, entry.origin);
        insert.bind(3, entry.user);
        insert.bind(4, entry.address);
        insert.bind(5, restartedText(entry.restarted));
        insert.bind(6, entry.report);
        insert.bind(7, entry.version);
        insert.bindBlob(8, compressed);
        code = insert.step();
        if (code == SQLITE_DONE) {
            entry.id = sqlite3_last_insert_rowid(m_db);
            code = prune();
        }
        if (code == SQLITE_DONE)
            code = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
        if (code != SQLITE_OK) {
            // The failure's message is kept for the report: the rollback would replace it.
            m_failure = lastError();
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            entry.id = 0;
        }
        return code;
    });
}

HRESULT ConfigHistory::list(std::vector<HistoryEntry>& entries, qint64 beforeId, int limit) {
    std::lock_guard lock(m_mutex);
    entries.clear();
    return run("be read", [&] {
        Statement select(m_db, fmt::format("SELECT {} FROM entries WHERE ?1 = 0 OR id < ?1 "
                                           "ORDER BY id DESC LIMIT ?2",
                                           kColumns)
                                   .c_str());
        select.bind(1, beforeId);
        select.bind(2, static_cast<qint64>(std::max(limit, 0)));
        int code = SQLITE_ROW;
        while ((code = select.step()) == SQLITE_ROW)
            entries.push_back(select.entry());
        if (code != SQLITE_DONE)
            entries.clear();
        return code;
    });
}

HRESULT ConfigHistory::entry(qint64 id, HistoryEntry& found, QByteArray* document) {
    std::lock_guard lock(m_mutex);
    bool present = false;
    bool whole = true;
    const HRESULT status = run("be read", [&] {
        Statement select(
            m_db, fmt::format("SELECT {}, document FROM entries WHERE id = ?1", kColumns).c_str());
        select.bind(1, id);
        const int code = select.step();
        if (code == SQLITE_ROW) {
            present = true;
            found = select.entry();
            if (document) {
                *document = qUncompress(select.blob(8));
                whole = !document->isEmpty();
            }
        }
        return code;
    });
    if (FAILED(status))
        return status;
    if (!whole) {
        tell(HRESULT_INVALID_DATA,
             fmt::format("The document of history entry {} cannot be read back.", id));
        return HRESULT_INVALID_DATA;
    }
    return present ? S_OK : HRESULT_NOT_FOUND;
}

HRESULT ConfigHistory::newest(HistoryEntry& found) {
    std::vector<HistoryEntry> entries;
    const HRESULT status = list(entries, 0, 1);
    if (FAILED(status))
        return status;
    if (entries.empty())
        return S_FALSE;
    found = entries.front();
    return S_OK;
}

HRESULT ConfigHistory::count(qint64& entries) {
    std::lock_guard lock(m_mutex);
    entries = 0;
    return run("be read", [&] {
        Statement select(m_db, "SELECT COUNT(*) FROM entries");
        const int code = select.step();
        if (code == SQLITE_ROW)
            entries = select.integer(0);
        return code;
    });
}

HRESULT ConfigHistory::audit(AuditEvent& event) {
    std::lock_guard lock(m_mutex);
    if (!event.time.isValid())
        event.time = QDateTime::currentDateTimeUtc();
    event.id = 0;
    return run("record the audit event", [&] {
        Statement insert(m_db, "INSERT INTO audit (time, event, outcome, user, address, detail) "
                               "VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
        insert.bind(1, timeText(event.time));
        insert.bind(2, event.event);
        insert.bind(3, event.outcome);
        insert.bind(4, event.user);
        insert.bind(5, event.address);
        insert.bind(6, event.detail);
        int code = insert.step();
        if (code == SQLITE_DONE)
            event.id = sqlite3_last_insert_rowid(m_db);
        if (code == SQLITE_DONE && m_retention.days > 0) {
            Statement old(m_db, "DELETE FROM audit WHERE time < ?1");
            old.bind(1, timeText(QDateTime::currentDateTimeUtc().addDays(-m_retention.days)));
            code = old.step();
        }
        return code;
    });
}

HRESULT ConfigHistory::auditSince(const QDateTime& since, std::vector<AuditEvent>& events) {
    std::lock_guard lock(m_mutex);
    events.clear();
    return run("be read", [&] {
        Statement select(m_db, "SELECT id, time, event, outcome, user, address, detail FROM audit "
                               "WHERE time >= ?1 ORDER BY id");
        select.bind(1, since.isValid() ? timeText(since) : QString());
        int code = SQLITE_ROW;
        while ((code = select.step()) == SQLITE_ROW) {
            events.push_back({.id = select.integer(0),
                              .time = QDateTime::fromString(select.text(1), Qt::ISODateWithMs),
                              .event = select.text(2).toStdString(),
                              .outcome = select.text(3).toStdString(),
                              .user = select.text(4).toStdString(),
                              .address = select.text(5).toStdString(),
                              .detail = select.text(6).toStdString()});
        }
        if (code != SQLITE_DONE)
            events.clear();
        return code;
    });
}

std::optional<QString> ConfigHistory::keptAside() const {
    std::lock_guard lock(m_mutex);
    return m_keptAside;
}
