#include "ServiceRecord.h"

#include <QJsonObject>

#include <cerrno>
#include <csignal>

namespace {

const QString kFile = QStringLiteral("service.json");

} // namespace

HRESULT WriteServiceRecord(const StateFiles& files, const ServiceRecord& record) {
    return files.writeJson(kFile, {{QStringLiteral("pid"), record.pid},
                                   {QStringLiteral("address"), record.address},
                                   {QStringLiteral("port"), record.port},
                                   {QStringLiteral("fingerprint"), record.fingerprint}});
}

std::optional<ServiceRecord> ReadServiceRecord(const StateFiles& files) {
    const QJsonObject object = files.readJson(kFile);
    const qint64 pid = object.value(QStringLiteral("pid")).toInteger();
    const int port = object.value(QStringLiteral("port")).toInt();
    if (pid <= 0 || port <= 0 || port > 65535)
        return std::nullopt;
    return ServiceRecord{pid, object.value(QStringLiteral("address")).toString(),
                         static_cast<quint16>(port),
                         object.value(QStringLiteral("fingerprint")).toString()};
}

HRESULT RemoveServiceRecord(const StateFiles& files) {
    return files.remove(kFile);
}

bool IsRunning(const ServiceRecord& record) {
    return ::kill(static_cast<pid_t>(record.pid), 0) == 0 || errno == EPERM;
}
