#pragma once
// The simulated live state of the server's channels: port state, loaded clip, offline
// flags and the signal lights. Kept in a file so that the command-line tool and a
// running utility see the same channels.

#include "StateFiles.h"
#include "platform/Variant.h"

#include <QDateTime>
#include <QStringList>

#include <functional>
#include <optional>

// Port states as the server reports them.
enum PortState : int {
    PORT_IDLE = 0,
    PORT_PLAY = 1,
    PORT_PLAY_VARIABLE = 2,
    PORT_RECORD = 3,
    PORT_RECORD_PAUSED = 4,
};

class ChannelStates {
public:
    static constexpr int kChannels = 4;

    explicit ChannelStates(const StateFiles& files);

    // The status of one channel by name; E_INVALIDARG for an unknown name or channel.
    HRESULT status(int channel, const std::string& name, Variant& value) const;

    // Sets one status value from text ("portstate" 3, "assetname" clip, "channelOffline"
    // true, ...). System-wide names ("systemOffline", "referencePresent",
    // "referenceLocked") ignore the channel.
    HRESULT set(int channel, const QString& name, const QString& value);

    // Takes the channel offline until the given time, as a restart does.
    HRESULT takeOffline(int channel, const QDateTime& until);

    // Every status name the server answers.
    static QStringList names();

private:
    // What identifies one version of the file: atomic writes give each a new inode.
    struct FileStamp {
        quint64 inode;
        qint64 modifiedNs;
        qint64 size;
        bool operator==(const FileStamp&) const = default;
    };
    std::optional<FileStamp> stamp() const;
    QJsonObject load() const;
    HRESULT save(const QJsonObject& state);
    HRESULT updateChannel(int channel, const std::function<void(QJsonObject&)>& change);

    const StateFiles& m_files;
    mutable QJsonObject m_cached;
    mutable std::optional<FileStamp> m_cachedStamp;
};
