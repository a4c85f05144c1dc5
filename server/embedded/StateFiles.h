#pragma once
// The stand-in server's state directory and its file primitives: every file is read whole
// and written atomically, so a killed write leaves the old file or the new one. Several
// processes share the directory (the utilities, the command-line tool): whoever changes a
// file does it holding that file's lock. The directory and its files are the owner's only.

#include "platform/HResult.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <functional>
#include <optional>

// $TRELLIS_SERVER_DIR when set, else the per-user application data directory.
QString DefaultServerDirectory();

// What identifies one version of a file: atomic writes give each a new inode.
struct FileStamp {
    quint64 inode;
    qint64 modifiedNs;
    qint64 size;
    bool operator==(const FileStamp&) const = default;
};

class StateFiles {
public:
    explicit StateFiles(QString directory);

    const QString& directory() const { return m_directory; }
    QString path(const QString& name) const;

    // Creates the directory when missing; either way only the owner may use it.
    HRESULT ensureDirectory() const;

    std::optional<QByteArray> read(const QString& name) const;
    HRESULT write(const QString& name, const QByteArray& content) const;
    // Writes a file that must not exist yet: an existing one is never replaced.
    HRESULT create(const QString& name, const QByteArray& content) const;
    HRESULT append(const QString& name, const QByteArray& content) const;
    HRESULT remove(const QString& name) const;
    bool exists(const QString& name) const;
    // None when the file is missing.
    std::optional<FileStamp> stamp(const QString& name) const;

    // Runs work holding the lock of the named file, for any read-modify-write of it. The
    // lock is not recursive: work must not take the same file's lock again. A lock whose
    // holder died, or held longer than the stale time, is broken; HRESULT_LOCK_VIOLATION
    // when the lock could not be had in time.
    HRESULT locked(const QString& name, const std::function<HRESULT()>& work) const;

    // The version of a file's content (a SHA-256 in hex; a missing file has the version of
    // empty content), for a change that must not overwrite one made since it was read.
    static QString versionOf(const std::optional<QByteArray>& content);
    // S_OK when the file holds the expected version (or none is expected), E_CHANGED_STATE
    // when it holds another; called holding the file's lock, before writing it.
    HRESULT checkVersion(const QString& name, const std::optional<QString>& expected) const;

    // JSON files: an unreadable or malformed file reads as empty.
    QJsonObject readJson(const QString& name) const;
    HRESULT writeJson(const QString& name, const QJsonObject& object) const;
    // Reads, changes and writes a JSON file under its lock. change returns S_FALSE to leave
    // the file as it is. A file that exists but is not a JSON object is not replaced:
    // HRESULT_INVALID_DATA. With an expected version, a file holding another is left as it
    // is: E_CHANGED_STATE. written, when given, gets the version of what was written.
    HRESULT updateJson(const QString& name, const std::function<HRESULT(QJsonObject&)>& change,
                       const std::optional<QString>& expected = std::nullopt,
                       QString* written = nullptr) const;

private:
    QString m_directory;
};
