#pragma once
// The simulated live state of the server's channels: port state, loaded clip, offline
// flags and the signal lights. Kept in a file so that the command-line tool and a
// running utility see the same channels.

#include "ConfigRules.h"
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
    static constexpr int kChannels = kChannelSlots;

    explicit ChannelStates(const StateFiles& files);

    // The status of one channel by name; E_INVALIDARG for an unknown name or channel.
    HRESULT status(int channel, const std::string& name, Variant& value) const;

    // Sets one status value from text ("portstate" 3, "assetname" clip, "channelOffline"
    // true, ...). System-wide names ("systemOffline", "referencePresent",
    // "referenceLocked") ignore the channel.
    HRESULT set(int channel, const QString& name, const QString& value);

    // Takes the channel offline until the given time, as a restart does; an offline time
    // already later stays.
    HRESULT takeOffline(int channel, const QDateTime& until);

    // Every status name the server answers.
    static QStringList names();

private:
    QJsonObject load() const;
    // Changes the whole state, or one channel's, under the file's lock.
    HRESULT update(const std::function<void(QJsonObject&)>& change);
    HRESULT updateChannel(int channel, const std::function<void(QJsonObject&)>& change);

    const StateFiles& m_files;
    mutable QJsonObject m_cached;
    mutable std::optional<FileStamp> m_cachedStamp;
};
