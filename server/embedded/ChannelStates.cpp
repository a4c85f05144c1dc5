#include "ChannelStates.h"

#include <QJsonArray>

#include <algorithm>

namespace {

const QString kChannelsFile = QStringLiteral("channels.json");
const QStringList kSystemNames = {QStringLiteral("systemOffline"),
                                  QStringLiteral("referencePresent"),
                                  QStringLiteral("referenceLocked")};
const QStringList kTextNames = {QStringLiteral("assetname")};
const QStringList kIntegerNames = {QStringLiteral("portstate")};
const QStringList kBoolNames = {
    QStringLiteral("channelOffline"),   QStringLiteral("videoPresent"),
    QStringLiteral("vitcPresent"),      QStringLiteral("ancLtcPresent"),
    QStringLiteral("ancVitcPresent"),   QStringLiteral("systemOffline"),
    QStringLiteral("referencePresent"), QStringLiteral("referenceLocked")};

// A new server has its reference, video and input timecode present and every channel idle
// and online.
QJsonObject defaults() {
    QJsonArray channels;
    for (int i = 0; i < ChannelStates::kChannels; ++i) {
        channels.append(QJsonObject{{QStringLiteral("portstate"), PORT_IDLE},
                                    {QStringLiteral("assetname"), QString()},
                                    {QStringLiteral("channelOffline"), false},
                                    {QStringLiteral("videoPresent"), true},
                                    {QStringLiteral("vitcPresent"), true},
                                    {QStringLiteral("ancLtcPresent"), true},
                                    {QStringLiteral("ancVitcPresent"), true},
                                    {QStringLiteral("offlineUntil"), 0}});
    }
    return QJsonObject{{QStringLiteral("systemOffline"), false},
                       {QStringLiteral("referencePresent"), true},
                       {QStringLiteral("referenceLocked"), true},
                       {QStringLiteral("channels"), channels}};
}

// Stored values over defaults, key by key.
QJsonObject merged(QJsonObject base, const QJsonObject& stored) {
    for (auto it = stored.begin(); it != stored.end(); ++it)
        base.insert(it.key(), it.value());
    return base;
}

// The stored state over the defaults: whatever the file lacks, for the system or for a
// channel, reads as on a new server.
QJsonObject withDefaults(const QJsonObject& stored) {
    const QJsonObject fresh = defaults();
    const QJsonObject freshChannel =
        fresh.value(QStringLiteral("channels")).toArray().first().toObject();
    QJsonObject state = merged(fresh, stored);
    const QJsonArray storedChannels = stored.value(QStringLiteral("channels")).toArray();
    QJsonArray channels;
    for (int i = 0; i < ChannelStates::kChannels; ++i)
        channels.append(merged(freshChannel, storedChannels.at(i).toObject()));
    state.insert(QStringLiteral("channels"), channels);
    return state;
}

std::optional<bool> parseBool(const QString& text) {
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || text == QLatin1String("1"))
        return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 ||
        text == QLatin1String("0"))
        return false;
    return std::nullopt;
}

} // namespace

ChannelStates::ChannelStates(const StateFiles& files) : m_files(files) {}

QStringList ChannelStates::names() {
    return kTextNames + kIntegerNames + kBoolNames;
}

QJsonObject ChannelStates::load() const {
    // Every write replaces the file, so an unchanged stamp means unchanged content: the
    // status polls then cost one stat instead of a read and a parse.
    const std::optional<FileStamp> current = m_files.stamp(kChannelsFile);
    if (current && m_cachedStamp && *current == *m_cachedStamp)
        return m_cached;
    m_cached = withDefaults(m_files.readJson(kChannelsFile));
    m_cachedStamp = current;
    return m_cached;
}

HRESULT ChannelStates::update(const std::function<void(QJsonObject&)>& change) {
    const HRESULT hr = m_files.updateJson(kChannelsFile, [&](QJsonObject& state) {
        state = withDefaults(state);
        change(state);
        return S_OK;
    });
    m_cachedStamp.reset();
    return hr;
}

HRESULT ChannelStates::updateChannel(int channel, const std::function<void(QJsonObject&)>& change) {
    if (channel < 0 || channel >= kChannels)
        return E_INVALIDARG;
    return update([&](QJsonObject& state) {
        QJsonArray channels = state.value(QStringLiteral("channels")).toArray();
        QJsonObject own = channels.at(channel).toObject();
        change(own);
        channels.replace(channel, own);
        state.insert(QStringLiteral("channels"), channels);
    });
}

HRESULT ChannelStates::status(int channel, const std::string& name, Variant& value) const {
    if (channel < 0 || channel >= kChannels)
        return E_INVALIDARG;
    const QString key = QString::fromStdString(name);
    const QJsonObject state = load();
    if (kSystemNames.contains(key)) {
        value = Variant(state.value(key).toBool());
        return S_OK;
    }
    const QJsonObject own =
        state.value(QStringLiteral("channels")).toArray().at(channel).toObject();
    if (key == QLatin1String("assetname")) {
        value = Variant(own.value(key).toString().toStdString());
    } else if (key == QLatin1String("portstate")) {
        value = Variant(static_cast<std::int32_t>(own.value(key).toInt()));
    } else if (key == QLatin1String("channelOffline")) {
        const qint64 until = own.value(QStringLiteral("offlineUntil")).toInteger();
        value = Variant(own.value(key).toBool() || QDateTime::currentMSecsSinceEpoch() < until);
    } else if (kBoolNames.contains(key)) {
        value = Variant(own.value(key).toBool());
    } else {
        return E_INVALIDARG;
    }
    return S_OK;
}

HRESULT ChannelStates::set(int channel, const QString& name, const QString& value) {
    if (!names().contains(name))
        return E_INVALIDARG;
    QJsonValue stored;
    if (kTextNames.contains(name)) {
        stored = value;
    } else if (kIntegerNames.contains(name)) {
        bool ok = false;
        const int number = value.toInt(&ok);
        if (!ok)
            return DISP_E_TYPEMISMATCH;
        stored = number;
    } else {
        const std::optional<bool> flag = parseBool(value);
        if (!flag)
            return DISP_E_TYPEMISMATCH;
        stored = *flag;
    }
    if (kSystemNames.contains(name))
        return update([&](QJsonObject& state) { state.insert(name, stored); });
    return updateChannel(channel, [&](QJsonObject& own) {
        own.insert(name, stored);
        // Setting the offline flag by hand also ends a restart in progress.
        if (name == QLatin1String("channelOffline"))
            own.insert(QStringLiteral("offlineUntil"), 0);
    });
}

HRESULT ChannelStates::takeOffline(int channel, const QDateTime& until) {
    // Restarts that overlap end with the later one, whichever process recorded it first.
    return updateChannel(channel, [&](QJsonObject& own) {
        const qint64 current = own.value(QStringLiteral("offlineUntil")).toInteger();
        own.insert(QStringLiteral("offlineUntil"), std::max(current, until.toMSecsSinceEpoch()));
    });
}
