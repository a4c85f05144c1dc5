#include "IConfigHistory.h"

#include <QJsonArray>

QJsonObject HistoryEntryJson(const HistoryEntry& entry) {
    QJsonArray restarted;
    for (const int channel : entry.restarted)
        restarted.append(channel);
    return {{QStringLiteral("id"), entry.id},
            {QStringLiteral("time"), entry.time.toString(Qt::ISODateWithMs)},
            {QStringLiteral("origin"), QString::fromStdString(entry.origin)},
            {QStringLiteral("user"), QString::fromStdString(entry.user)},
            {QStringLiteral("address"), QString::fromStdString(entry.address)},
            {QStringLiteral("restartedChannelIndexes"), restarted},
            {QStringLiteral("report"), QString::fromStdString(entry.report)},
            {QStringLiteral("version"), entry.version}};
}

HistoryEntry HistoryEntryFromJson(const QJsonObject& json) {
    const auto text = [&](const char* name) {
        return json.value(QLatin1String(name)).toString().toStdString();
    };
    HistoryEntry entry{.id = json.value(QLatin1String("id")).toInteger(),
                       .time = QDateTime::fromString(json.value(QLatin1String("time")).toString(),
                                                     Qt::ISODateWithMs),
                       .origin = text("origin"),
                       .user = text("user"),
                       .address = text("address"),
                       .report = text("report"),
                       .version = json.value(QLatin1String("version")).toString()};
    for (const QJsonValue channel : json.value(QLatin1String("restartedChannelIndexes")).toArray())
        entry.restarted.push_back(channel.toInt());
    return entry;
}

std::string HistorySummary(const HistoryEntry& entry) {
    return entry.report.substr(0, entry.report.find('\n'));
}
