#include "StateFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStandardPaths>

QString DefaultServerDirectory() {
    const QString configured = qEnvironmentVariable("TRELLIS_SERVER_DIR");
    if (!configured.isEmpty())
        return configured;
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/trellis-server");
}

StateFiles::StateFiles(QString directory) : m_directory(std::move(directory)) {}

QString StateFiles::path(const QString& name) const {
    return m_directory + QLatin1Char('/') + name;
}

HRESULT StateFiles::ensureDirectory() const {
    return QDir().mkpath(m_directory) ? S_OK : E_ACCESSDENIED;
}

std::optional<QByteArray> StateFiles::read(const QString& name) const {
    QFile file(path(name));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

HRESULT StateFiles::write(const QString& name, const QByteArray& content) const {
    const HRESULT hr = ensureDirectory();
    if (FAILED(hr))
        return hr;
    QSaveFile file(path(name));
    if (!file.open(QIODevice::WriteOnly))
        return E_ACCESSDENIED;
    // The state holds account hashes and protocol users: only the owner may read it.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return HRESULT_WRITE_FAULT;
    }
    return file.commit() ? S_OK : HRESULT_WRITE_FAULT;
}

QJsonObject StateFiles::readJson(const QString& name) const {
    const std::optional<QByteArray> content = read(name);
    if (!content)
        return {};
    return QJsonDocument::fromJson(*content).object();
}

HRESULT StateFiles::writeJson(const QString& name, const QJsonObject& object) const {
    return write(name, QJsonDocument(object).toJson(QJsonDocument::Indented));
}
