#pragma once
// The stand-in server's state directory and its file primitives: every file is read whole
// and written atomically, so a killed write leaves the old file or the new one.

#include "platform/HResult.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

// $TRELLIS_SERVER_DIR when set, else the per-user application data directory.
QString DefaultServerDirectory();

class StateFiles {
public:
    explicit StateFiles(QString directory);

    const QString& directory() const { return m_directory; }
    QString path(const QString& name) const;

    // Creates the directory when missing.
    HRESULT ensureDirectory() const;

    std::optional<QByteArray> read(const QString& name) const;
    HRESULT write(const QString& name, const QByteArray& content) const;

    // JSON files: an unreadable or malformed file reads as empty.
    QJsonObject readJson(const QString& name) const;
    HRESULT writeJson(const QString& name, const QJsonObject& object) const;

private:
    QString m_directory;
};
