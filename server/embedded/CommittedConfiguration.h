#pragma once
// The committed configuration: config.xml in the state directory, shared by every process
// that uses the directory. A stored file the server cannot hold is kept aside as
// config.rejected-<UTC time>.xml, and the default takes its place; a record of that lasts
// while config.xml still holds what was put there then. Every configuration stored, and one
// found in config.xml that no entry of the history holds, is added to the history. Not safe
// from two threads by itself: the server makes its calls one at a time.

#include "ChannelStates.h"
#include "ConfigHistory.h"
#include "StateFiles.h"

#include <QDateTime>

#include <functional>
#include <optional>
#include <string>

class XmlDocument;

// Why the default configuration is in use.
struct RejectedConfiguration {
    QString keptAs; // the rejected file's name; empty when it could not be kept aside
    QDateTime time;
    std::string reason;
};

class CommittedConfiguration {
public:
    // Where the server log is told of rejections and commits.
    using Report = std::function<void(HRESULT status, const std::string& text)>;

    CommittedConfiguration(const StateFiles& files, ChannelStates& channels, ConfigHistory& history,
                           Report report);

    // Whether config.xml changed since this object last loaded or wrote it (one stat).
    bool changedOnDisk() const;

    // Loads config.xml into document, creating it from the default on first use.
    HRESULT load(XmlDocument& document);

    // Stores a usable document as the committed configuration. The channels whose part
    // differs from the configuration committed until now, by whichever process, go offline
    // until the given time; the log names who committed and which channels changed, and the
    // history keeps it with the address the user came from and the change report. A failed
    // store gives its reason, when asked for it. With an expected version, config.xml holding
    // another (whoever wrote it) is left as it is: E_CHANGED_STATE.
    HRESULT commit(const std::string& user, const std::string& address, const XmlDocument& document,
                   const QDateTime& offlineUntil, std::string* reason = nullptr,
                   const std::optional<QString>& expectedVersion = std::nullopt,
                   const std::string& report = {});

    // Empty when the history recorded the last commit; else what to tell its user.
    const std::string& historyNotice() const { return m_historyNotice; }

    // The version of what this object last loaded or wrote (see StateFiles::versionOf).
    const QString& version() const { return m_version; }

    // Set while the default configuration is in use because a stored one was rejected.
    std::optional<RejectedConfiguration> rejection() const;

private:
    // What this object loaded or wrote is what config.xml holds now.
    void noteStored(const QByteArray& content);
    // The default configuration the server falls back on; a default file in the data folder
    // that is not usable is reported.
    void loadDefault(XmlDocument& document);
    HRESULT storeDefault(XmlDocument& document);
    HRESULT reject(const std::optional<QByteArray>& stored, const std::string& reason,
                   XmlDocument& document);
    HRESULT keepAside(const QByteArray& content, const QDateTime& time, QString& name);
    // Adds what config.xml now holds to the history.
    HRESULT remember(HistoryEntry entry, const QByteArray& content);

    const StateFiles& m_files;
    ChannelStates& m_channels;
    ConfigHistory& m_history;
    Report m_report;
    bool m_loaded = false;
    std::optional<FileStamp> m_stamp;
    QString m_version;
    std::string m_historyNotice;
};
