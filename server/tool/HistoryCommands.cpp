#include "HistoryCommands.h"

#include "CommandFailure.h"

#include "platform/ConfigDiff.h"
#include "platform/FileWrite.h"
#include "platform/XmlDocument.h"
#include "server/embedded/ConfigHistory.h"
#include "server/embedded/EmbeddedServer.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <fmt/format.h>

#include <cstdio>

namespace {

// A page of the list when no count is given.
constexpr int kDefaultCount = 50;

// A failed read of the history, with the reason the history gave.
int historyFailed(IConfigHistory& history, HRESULT hr, const std::string& what) {
    return CommandFailed(hr, what, history.LastErrorText());
}

std::string restartedText(const std::vector<int>& channels) {
    std::string text;
    for (const int channel : channels)
        text += fmt::format("{}{}", text.empty() ? "" : ", ", channel + 1);
    return text.empty() ? "none" : text;
}

void printJson(const QJsonValue& value) {
    const QByteArray text = value.isArray()
                                ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Indented)
                                : QJsonDocument(value.toObject()).toJson(QJsonDocument::Indented);
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
}

void printLine(const HistoryEntry& entry) {
    std::printf("%lld\t%s\t%s\t%s\t%s\trestarted: %s\t%s\n", static_cast<long long>(entry.id),
                entry.time.toString(Qt::ISODate).toUtf8().constData(), entry.origin.c_str(),
                entry.user.empty() ? "-" : entry.user.c_str(), entry.address.c_str(),
                restartedText(entry.restarted).c_str(), HistorySummary(entry).c_str());
}

// A whole number from 1 given on the command line.
std::optional<qint64> idOf(const QString& text) {
    bool ok = false;
    const qint64 id = text.toLongLong(&ok);
    return ok && id > 0 ? std::optional(id) : std::nullopt;
}

int list(IConfigHistory& history, bool json, qint64 before, int count) {
    std::vector<HistoryEntry> entries;
    const HRESULT hr = history.ListHistory(before, count, entries);
    if (FAILED(hr))
        return historyFailed(history, hr, "history");
    if (json) {
        QJsonArray all;
        for (const HistoryEntry& entry : entries)
            all.append(HistoryEntryJson(entry));
        printJson(all);
        return 0;
    }
    if (entries.empty())
        std::printf("The history holds no configuration.\n");
    for (const HistoryEntry& entry : entries)
        printLine(entry);
    return 0;
}

// One entry and its configuration; false, with a message under what, when there is none.
bool readEntry(IConfigHistory& history, qint64 id, const std::string& what, HistoryEntry& entry,
               std::string& configuration) {
    const HRESULT hr = history.GetHistoryEntry(id, entry, configuration);
    if (hr == HRESULT_NOT_FOUND)
        std::fprintf(stderr, "%s: the history has no entry %lld.\n", ProgramName().c_str(),
                     static_cast<long long>(id));
    else if (FAILED(hr))
        historyFailed(history, hr, what);
    return SUCCEEDED(hr);
}

int show(IConfigHistory& history, qint64 id, bool json) {
    HistoryEntry entry;
    std::string configuration;
    if (!readEntry(history, id, "show", entry, configuration))
        return 1;
    if (json) {
        printJson(HistoryEntryJson(entry));
        return 0;
    }
    printLine(entry);
    if (!entry.report.empty())
        std::printf("\n%s\n", entry.report.c_str());
    return 0;
}

// An entry's configuration, parsed; a message and false when there is none.
bool documentOf(IConfigHistory& history, qint64 id, XmlDocument& document, std::string& text) {
    HistoryEntry entry;
    if (!readEntry(history, id, fmt::format("reading entry {}", id), entry, text))
        return false;
    if (document.loadBytes(text) != S_OK) {
        std::fprintf(stderr, "%s: entry %lld does not hold well-formed XML.\n",
                     ProgramName().c_str(), static_cast<long long>(id));
        return false;
    }
    return true;
}

int diff(IConfigHistory& history, qint64 from, qint64 to, bool json) {
    XmlDocument before;
    XmlDocument after;
    std::string text;
    if (!documentOf(history, from, before, text) || !documentOf(history, to, after, text))
        return 1;
    const std::vector<ConfigChange> changes =
        DiffConfigurations(before.documentNode(), after.documentNode());
    if (json) {
        QJsonArray all;
        for (const ConfigChange& change : changes)
            all.append(QString::fromStdString(ChangeText(change)));
        printJson(all);
        return 0;
    }
    if (changes.empty())
        std::printf("Entries %lld and %lld hold the same configuration.\n",
                    static_cast<long long>(from), static_cast<long long>(to));
    for (const ConfigChange& change : changes)
        std::printf("%s\n", ChangeText(change).c_str());
    return 0;
}

int exportEntry(IConfigHistory& history, qint64 id, const QString& file) {
    XmlDocument document;
    std::string text;
    if (!documentOf(history, id, document, text))
        return 1;
    const HRESULT hr = WriteFileAtomically(file, text);
    if (FAILED(hr))
        return CommandFailed(hr, "writing " + file.toStdString());
    return 0;
}

int listAudit(ConfigHistory& history, const QDateTime& since, bool json) {
    std::vector<AuditEvent> events;
    const HRESULT hr = history.auditSince(since, events);
    if (FAILED(hr))
        return CommandFailed(hr, "audit");
    if (json) {
        QJsonArray all;
        for (const AuditEvent& event : events)
            all.append(AuditEventJson(event));
        printJson(all);
        return 0;
    }
    if (events.empty())
        std::printf("The audit holds no event%s.\n", since.isValid() ? " since then" : "");
    for (const AuditEvent& event : events)
        std::printf("%s\t%s\t%s\t%s\t%s%s%s\n",
                    event.time.toString(Qt::ISODate).toUtf8().constData(), event.event.c_str(),
                    event.outcome.c_str(), event.user.empty() ? "-" : event.user.c_str(),
                    event.address.empty() ? "-" : event.address.c_str(),
                    event.detail.empty() ? "" : "\t", event.detail.c_str());
    return 0;
}

} // namespace

bool IsHistoryCommand(const QString& command) {
    return command == QLatin1String("history") || command == QLatin1String("show") ||
           command == QLatin1String("diff") || command == QLatin1String("export");
}

std::optional<int> RunHistoryCommand(IConfigHistory& history, const QString& command,
                                     QStringList args) {
    const bool json = args.removeAll(QStringLiteral("--json")) > 0;
    if (command == QLatin1String("history")) {
        qint64 before = 0;
        int count = kDefaultCount;
        while (args.size() >= 2) {
            const std::optional<qint64> value = idOf(args[1]);
            if (!value)
                return std::nullopt;
            if (args[0] == QLatin1String("--before"))
                before = *value;
            else if (args[0] == QLatin1String("--count"))
                count = static_cast<int>(std::min<qint64>(*value, 100'000));
            else
                return std::nullopt;
            args = args.mid(2);
        }
        if (!args.isEmpty())
            return std::nullopt;
        return list(history, json, before, count);
    }
    if (command == QLatin1String("show") && args.size() == 1) {
        if (const auto id = idOf(args[0]))
            return show(history, *id, json);
        return std::nullopt;
    }
    if (command == QLatin1String("diff") && args.size() == 2) {
        const auto from = idOf(args[0]);
        const auto to = idOf(args[1]);
        if (from && to)
            return diff(history, *from, *to, json);
        return std::nullopt;
    }
    if (command == QLatin1String("export") && args.size() == 2 && !json) {
        if (const auto id = idOf(args[0]))
            return exportEntry(history, *id, args[1]);
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<int> RunAuditCommand(ConfigHistory& history, QStringList args) {
    const bool json = args.removeAll(QStringLiteral("--json")) > 0;
    QDateTime since;
    if (args.size() == 2 && args[0] == QLatin1String("--since")) {
        // A date alone is its midnight; a time without a zone is UTC.
        since = QDateTime::fromString(args[1], Qt::ISODateWithMs);
        if (!since.isValid())
            since = QDateTime(QDate::fromString(args[1], Qt::ISODate), QTime(0, 0));
        if (!since.isValid()) {
            std::fprintf(stderr,
                         "trellis-server: --since takes a time such as 2026-12-01 or "
                         "2026-12-01T08:00:00Z, not '%s'.\n",
                         args[1].toUtf8().constData());
            return 2;
        }
        if (since.timeSpec() == Qt::LocalTime)
            since.setTimeSpec(Qt::UTC);
    } else if (!args.isEmpty()) {
        return std::nullopt;
    }
    return listAudit(history, since, json);
}

void ShowHistoryStatus(EmbeddedServer& server) {
    qint64 count = 0;
    HistoryEntry newest;
    if (FAILED(server.history().count(count)) || FAILED(server.history().newest(newest)))
        std::printf("history: cannot be read; the server log says why\n");
    else if (count == 0)
        std::printf("history: no entry\n");
    else
        std::printf("history: %lld entries, the newest %lld of %s\n", static_cast<long long>(count),
                    static_cast<long long>(newest.id),
                    newest.time.toString(Qt::ISODate).toUtf8().constData());
    const QStringList corrupt =
        QDir(server.files().directory())
            .entryList({QStringLiteral("history.corrupt-*.sqlite")}, QDir::Files, QDir::Name);
    for (const QString& name : corrupt)
        std::printf("history: a corrupt database was kept aside as %s\n",
                    name.toUtf8().constData());
}
