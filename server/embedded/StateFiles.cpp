#include "StateFiles.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <sys/stat.h>

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions kOwnerOnlyDirectory = kOwnerOnly | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions kGroupOrOther =
    QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
    QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

// Every change holds its lock for milliseconds; a holder that is alive but has kept it this
// long is taken to be stuck.
constexpr std::chrono::milliseconds kStaleLockTime = std::chrono::seconds(10);
// Longer than the stale time, so that a stuck lock is broken rather than waited out.
constexpr std::chrono::milliseconds kLockWait = std::chrono::seconds(15);
// A lock file still empty after this long was left by a holder killed while it took the
// lock, before it could write who it is.
constexpr std::chrono::milliseconds kAbandonedLockAge = std::chrono::seconds(1);
// QLockFile's own wait sleeps 100 ms and doubles; the changes here are much shorter.
constexpr std::chrono::milliseconds kLockRetry = std::chrono::milliseconds(2);

// Threads of one process take turns at a lock file on a mutex first: QLockFile is made for
// processes, and two threads polling one lock file would only wait longer. A holder waits
// for the file at most kLockWait, so neither does the mutex wait for ever.
// QLockFile sees a dead holder by the process id it wrote; an empty file names nobody, so
// QLockFile would wait out the whole stale time before it broke it.
bool isAbandonedLock(const QString& lockPath) {
    const QFileInfo info(lockPath);
    return info.exists() && info.size() == 0 &&
           info.lastModified().msecsTo(QDateTime::currentDateTime()) > kAbandonedLockAge.count();
}

// QLockFile breaks a dead holder's lock while it holds "<lock>.rmlock", which is broken the
// same way in turn. A process killed between making one of these files and writing its id
// into it leaves it empty, and every later break would wait out QLockFile's stale time.
void breakAbandonedLocks(const QString& lockPath) {
    const QString removing = lockPath + QStringLiteral(".rmlock");
    for (const QString& path : {lockPath, removing, removing + QStringLiteral(".rmlock")}) {
        if (isAbandonedLock(path))
            QLockFile(path).removeStaleLockFile();
    }
}

std::mutex& threadLock(const QString& lockPath) {
    static std::mutex guard;
    static std::map<QString, std::mutex> locks;
    std::lock_guard lock(guard);
    return locks[lockPath];
}

QByteArray jsonText(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

} // namespace

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
    if (QFileInfo(m_directory).isDir())
        return S_OK;
    // A directory named by the user that already exists keeps its mode; one made here is
    // the owner's only.
    if (!QDir().mkpath(m_directory) || !QFile::setPermissions(m_directory, kOwnerOnlyDirectory))
        return E_ACCESSDENIED;
    return S_OK;
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
    file.setPermissions(kOwnerOnly);
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return HRESULT_WRITE_FAULT;
    }
    return file.commit() ? S_OK : HRESULT_WRITE_FAULT;
}

HRESULT StateFiles::create(const QString& name, const QByteArray& content) const {
    const HRESULT hr = ensureDirectory();
    if (FAILED(hr))
        return hr;
    QFile file(path(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerOnly))
        return E_ACCESSDENIED;
    if (file.write(content) != content.size() || !file.flush()) {
        file.remove();
        return HRESULT_WRITE_FAULT;
    }
    return S_OK;
}

HRESULT StateFiles::append(const QString& name, const QByteArray& content) const {
    const HRESULT hr = ensureDirectory();
    if (FAILED(hr))
        return hr;
    QFile file(path(name));
    if (!file.open(QIODevice::Append, kOwnerOnly))
        return E_ACCESSDENIED;
    // A file made before the state was owner-only gets its mode on the next entry.
    if (file.permissions() & kGroupOrOther)
        file.setPermissions(kOwnerOnly);
    return file.write(content) == content.size() && file.flush() ? S_OK : HRESULT_WRITE_FAULT;
}

HRESULT StateFiles::remove(const QString& name) const {
    QFile file(path(name));
    return !file.exists() || file.remove() ? S_OK : E_ACCESSDENIED;
}

bool StateFiles::exists(const QString& name) const {
    return QFileInfo::exists(path(name));
}

std::optional<FileStamp> StateFiles::stamp(const QString& name) const {
    struct stat info {};
    if (::stat(QFile::encodeName(path(name)).constData(), &info) != 0)
        return std::nullopt;
    return FileStamp{static_cast<quint64>(info.st_ino),
                     static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
                     static_cast<qint64>(info.st_size)};
}

HRESULT StateFiles::locked(const QString& name, const std::function<HRESULT()>& work) const {
    const HRESULT hr = ensureDirectory();
    if (FAILED(hr))
        return hr;
    const QString lockPath = path(name) + QStringLiteral(".lock");
    const std::lock_guard threads(threadLock(lockPath));
    QLockFile lock(lockPath);
    lock.setStaleLockTime(kStaleLockTime);
    const QDeadlineTimer deadline(kLockWait);
    while (!lock.tryLock()) {
        if (lock.error() != QLockFile::LockFailedError)
            return E_ACCESSDENIED;
        if (deadline.hasExpired())
            return HRESULT_LOCK_VIOLATION;
        breakAbandonedLocks(lockPath);
        std::this_thread::sleep_for(kLockRetry);
    }
    QFile::setPermissions(lock.fileName(), kOwnerOnly);
    return work();
}

QJsonObject StateFiles::readJson(const QString& name) const {
    const std::optional<QByteArray> content = read(name);
    if (!content)
        return {};
    return QJsonDocument::fromJson(*content).object();
}

HRESULT StateFiles::writeJson(const QString& name, const QJsonObject& object) const {
    return write(name, jsonText(object));
}

QString StateFiles::versionOf(const std::optional<QByteArray>& content) {
    return QString::fromLatin1(
        QCryptographicHash::hash(content.value_or(QByteArray()), QCryptographicHash::Sha256)
            .toHex());
}

HRESULT StateFiles::checkVersion(const QString& name,
                                 const std::optional<QString>& expected) const {
    if (!expected)
        return S_OK;
    const std::optional<QByteArray> content = read(name);
    if (!content && exists(name))
        return HRESULT_READ_FAULT;
    return versionOf(content) == *expected ? S_OK : E_CHANGED_STATE;
}

HRESULT StateFiles::updateJson(const QString& name,
                               const std::function<HRESULT(QJsonObject&)>& change,
                               const std::optional<QString>& expected, QString* written) const {
    return locked(name, [&] {
        QJsonObject object;
        const std::optional<QByteArray> content = read(name);
        if (content) {
            const QJsonDocument document = QJsonDocument::fromJson(*content);
            if (!document.isObject())
                return HRESULT_INVALID_DATA;
            object = document.object();
        } else if (exists(name)) {
            return HRESULT_READ_FAULT;
        }
        if (expected && versionOf(content) != *expected)
            return E_CHANGED_STATE;
        const HRESULT hr = change(object);
        if (FAILED(hr) || hr == S_FALSE)
            return hr;
        const QByteArray text = jsonText(object);
        const HRESULT stored = write(name, text);
        if (SUCCEEDED(stored) && written)
            *written = versionOf(text);
        return stored;
    });
}
