#include "CommittedConfiguration.h"

#include "ConfigRules.h"
#include "platform/ConfigDiff.h"
#include "platform/XmlDocument.h"

#include <fmt/format.h>

namespace {

const QString kConfigFile = QStringLiteral("config.xml");
const QString kRejectionFile = QStringLiteral("config-rejection.json");

std::string defaultStandard() {
    return ReferenceStandards().front();
}

std::string parseFailure(const XmlDocument& document) {
    const auto& error = document.parseError();
    if (!error)
        return "it is not well-formed XML";
    return "it is not well-formed XML: " + error->Position();
}

// The report a commit is kept with: the one its utility made, else the document's plain
// difference from what was stored (none when nothing readable was).
std::string reportOf(const std::string& given, const XmlDocument* stored,
                     const XmlDocument& committed) {
    if (!given.empty())
        return given;
    if (!stored)
        return "Committed in place of a configuration that could not be read";
    return PlainChangeReport(DiffConfigurations(stored->documentNode(), committed.documentNode()));
}

// Whether a document is the default configuration of its reference standard: what a
// Restore of defaults commits.
bool isDefault(const XmlDocument& document) {
    const std::string standard = document.documentNode()
                                     .selectSingleNode("/Config/System/SystemVideoReference")
                                     .attribute("referenceStandard");
    const std::string text = DefaultConfigurationText(standard);
    XmlDocument defaults;
    return !text.empty() && defaults.loadXml(text) == S_OK &&
           DiffConfigurations(defaults.documentNode(), document.documentNode()).empty();
}

} // namespace

CommittedConfiguration::CommittedConfiguration(const StateFiles& files, ChannelStates& channels,
                                               ConfigHistory& history, Report report)
    : m_files(files), m_channels(channels), m_history(history), m_report(std::move(report)) {}

bool CommittedConfiguration::changedOnDisk() const {
    return !m_loaded || m_files.stamp(kConfigFile) != m_stamp;
}

void CommittedConfiguration::noteStored(const QByteArray& content) {
    m_stamp = m_files.stamp(kConfigFile);
    m_version = StateFiles::versionOf(content);
    m_loaded = true;
}

HRESULT CommittedConfiguration::remember(HistoryEntry entry, const QByteArray& content) {
    entry.version = StateFiles::versionOf(content);
    // A failure is told by the history itself; the configuration is stored all the same.
    return m_history.record(entry, content);
}

HRESULT CommittedConfiguration::load(XmlDocument& document) {
    return m_files.locked(kConfigFile, [&] {
        const std::optional<QByteArray> stored = m_files.read(kConfigFile);
        if (!stored && !m_files.exists(kConfigFile))
            return storeDefault(document);
        std::string reason = "it cannot be read";
        XmlDocument loaded;
        if (stored) {
            if (loaded.loadXml(std::string_view(stored->constData(), stored->size())) != S_OK)
                reason = parseFailure(loaded);
            else if (IsUsableConfiguration(loaded, reason)) {
                document.replaceContent(std::move(loaded));
                noteStored(*stored);
                // Stored by something else than a server of this directory (or before the
                // history was kept): the history takes it as found.
                HistoryEntry newest;
                if (m_history.newest(newest) == S_FALSE || newest.version != m_version)
                    remember({.origin = HistoryEntry::kFound,
                              .address = "local",
                              .report = "config.xml was found holding a configuration this "
                                        "server did not store"},
                             *stored);
                return S_OK;
            }
        }
        return reject(stored, reason, document);
    });
}

void CommittedConfiguration::loadDefault(XmlDocument& document) {
    const DefaultConfiguration found = FindDefaultConfiguration(defaultStandard());
    if (const std::string notice = found.Notice(); !notice.empty())
        m_report(HRESULT_INVALID_DATA, notice);
    document.loadXml(found.text);
}

HRESULT CommittedConfiguration::storeDefault(XmlDocument& document) {
    XmlDocument loaded;
    loadDefault(loaded);
    const QByteArray text = QByteArray::fromStdString(loaded.xml());
    const HRESULT hr = m_files.write(kConfigFile, text);
    if (FAILED(hr))
        return hr;
    m_files.remove(kRejectionFile);
    document.replaceContent(std::move(loaded));
    noteStored(text);
    remember({.origin = HistoryEntry::kDefault,
              .address = "local",
              .report = fmt::format("The default configuration ({}) was stored on first use.",
                                    defaultStandard())},
             text);
    return S_OK;
}

HRESULT CommittedConfiguration::reject(const std::optional<QByteArray>& stored,
                                       const std::string& reason, XmlDocument& document) {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QString keptAs;
    const HRESULT kept = stored ? keepAside(*stored, now, keptAs) : HRESULT_READ_FAULT;
    XmlDocument loaded;
    loadDefault(loaded);
    const QByteArray text = QByteArray::fromStdString(loaded.xml());
    // Without a copy aside, config.xml is the only copy: it stays as it is.
    const HRESULT written = SUCCEEDED(kept) ? m_files.write(kConfigFile, text) : kept;

    std::string said = fmt::format("The stored configuration is not usable ({}). ", reason);
    if (FAILED(kept))
        said += fmt::format("It could not be kept aside ({}), so config.xml is left as it is; ",
                            ComErrorText(kept));
    else
        said += fmt::format("It is kept as {}; ", keptAs.toStdString());
    if (SUCCEEDED(written))
        said +=
            fmt::format("the default configuration ({}) is stored and in use.", defaultStandard());
    else
        said += fmt::format("the default configuration ({}) is in use but not stored.",
                            defaultStandard());
    m_report(HRESULT_INVALID_DATA, said);

    const QJsonObject record{
        {QStringLiteral("keptAs"), keptAs},
        {QStringLiteral("time"), now.toString(Qt::ISODate)},
        {QStringLiteral("reason"), QString::fromStdString(reason)},
        {QStringLiteral("configSha256"), StateFiles::versionOf(m_files.read(kConfigFile))}};
    const HRESULT recorded = m_files.writeJson(kRejectionFile, record);
    if (FAILED(recorded))
        m_report(recorded,
                 "The rejection could not be recorded for the status: " + ComErrorText(recorded));

    document.replaceContent(std::move(loaded));
    const QByteArray current = m_files.read(kConfigFile).value_or(QByteArray());
    noteStored(current);
    if (SUCCEEDED(written))
        remember({.origin = HistoryEntry::kDefault, .address = "local", .report = said}, current);
    return S_OK;
}

HRESULT CommittedConfiguration::keepAside(const QByteArray& content, const QDateTime& time,
                                          QString& name) {
    const QString base =
        QStringLiteral("config.rejected-") + time.toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    // An earlier rejection in the same second keeps its file: this one takes the next name.
    for (int copy = 1;; ++copy) {
        const QString candidate = copy == 1 ? base + QStringLiteral(".xml")
                                            : QStringLiteral("%1-%2.xml").arg(base).arg(copy);
        if (m_files.exists(candidate))
            continue;
        const HRESULT hr = m_files.create(candidate, content);
        if (SUCCEEDED(hr))
            name = candidate;
        if (SUCCEEDED(hr) || !m_files.exists(candidate))
            return hr;
    }
}

HRESULT CommittedConfiguration::commit(const std::string& user, const std::string& address,
                                       const XmlDocument& document, const QDateTime& offlineUntil,
                                       std::string* reason,
                                       const std::optional<QString>& expectedVersion,
                                       const std::string& report) {
    return m_files.locked(kConfigFile, [&] {
        const std::optional<QByteArray> stored = m_files.read(kConfigFile);
        if (expectedVersion && StateFiles::versionOf(stored) != *expectedVersion) {
            const std::string why = "the configuration was changed since it was read";
            m_report(E_CHANGED_STATE, fmt::format("Commit by user '{}' refused: {}", user, why));
            if (reason)
                *reason = why;
            return E_CHANGED_STATE;
        }
        ChannelParts before;
        XmlDocument committed;
        const bool readable = stored && committed.loadXml(std::string_view(stored->constData(),
                                                                           stored->size())) == S_OK;
        if (readable)
            before = ChannelPartsOf(committed);
        const QByteArray text = QByteArray::fromStdString(document.xml());
        const HRESULT hr = m_files.write(kConfigFile, text);
        if (FAILED(hr)) {
            const std::string why =
                fmt::format("config.xml could not be written ({})", ComErrorText(hr));
            m_report(hr, fmt::format("Commit by user '{}' failed: {}", user, why));
            if (reason)
                *reason = why;
            return hr;
        }
        noteStored(text);
        m_files.remove(kRejectionFile);

        const ChannelParts after = ChannelPartsOf(document);
        std::string changed;
        const std::vector<int> restarted = ChangedChannels(before, after);
        for (const int slot : restarted) {
            const ChannelPart& part = after.count(slot) ? after.at(slot) : before.at(slot);
            changed += fmt::format("{}channel index {} ({})", changed.empty() ? "" : ", ", slot,
                                   part.id.empty() ? "no id" : "id '" + part.id + "'");
            if (!after.count(slot))
                changed += " removed";
            const HRESULT offline = m_channels.takeOffline(slot, offlineUntil);
            if (FAILED(offline))
                m_report(offline, fmt::format("Channel index {} could not be taken offline for "
                                              "its restart: {}",
                                              slot, ComErrorText(offline)));
        }
        m_report(S_OK, fmt::format("Commit by user '{}': {}", user,
                                   changed.empty() ? "no channel changed" : "changed " + changed));
        const HRESULT recorded = remember(
            {.origin = isDefault(document) ? HistoryEntry::kDefault : HistoryEntry::kCommit,
             .user = user,
             .address = address,
             .restarted = restarted,
             .report = reportOf(report, readable ? &committed : nullptr, document)},
            text);
        m_historyNotice = SUCCEEDED(recorded)
                              ? std::string()
                              : "The server's history could not record this commit: " +
                                    m_history.LastFailureText();
        return S_OK;
    });
}

std::optional<RejectedConfiguration> CommittedConfiguration::rejection() const {
    const QJsonObject record = m_files.readJson(kRejectionFile);
    if (record.isEmpty())
        return std::nullopt;
    // Over once config.xml holds anything else than was put there at the rejection.
    const QByteArray current = m_files.read(kConfigFile).value_or(QByteArray());
    if (StateFiles::versionOf(current) != record.value(QStringLiteral("configSha256")).toString())
        return std::nullopt;
    return RejectedConfiguration{
        record.value(QStringLiteral("keptAs")).toString(),
        QDateTime::fromString(record.value(QStringLiteral("time")).toString(), Qt::ISODate),
        record.value(QStringLiteral("reason")).toString().toStdString()};
}
