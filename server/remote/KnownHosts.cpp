#include "KnownHosts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// The host and fingerprint of one line, or none for a blank, comment or malformed line.
std::optional<std::pair<QString, QString>> entryOf(const QString& line) {
    const QStringList fields = line.simplified().split(QLatin1Char(' '));
    if (fields.size() != 2 || fields[0].startsWith(QLatin1Char('#')))
        return std::nullopt;
    return std::make_pair(fields[0], fields[1]);
}

QStringList linesOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

KnownHosts::KnownHosts()
    : m_path(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
             QStringLiteral("/trellis/known_hosts")) {}

std::optional<QString> KnownHosts::fingerprint(const QString& host) const {
    for (const QString& line : linesOf(m_path)) {
        const auto entry = entryOf(line);
        if (entry && entry->first.compare(host, Qt::CaseInsensitive) == 0)
            return entry->second;
    }
    return std::nullopt;
}

bool KnownHosts::remember(const QString& host, const QString& fingerprint, QString* reason) {
    // Other lines, comments included, are kept as they are; the host's own is replaced.
    QStringList lines;
    for (const QString& line : linesOf(m_path)) {
        const auto entry = entryOf(line);
        if (!entry || entry->first.compare(host, Qt::CaseInsensitive) != 0)
            lines.append(line);
    }
    lines.append(host + QLatin1Char(' ') + fingerprint);

    const QString folder = QFileInfo(m_path).absolutePath();
    QSaveFile file(m_path);
    const bool written =
        QDir().mkpath(folder) &&
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner) &&
        file.open(QIODevice::WriteOnly) &&
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
        file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8()) >= 0 &&
        file.commit();
    if (!written && reason)
        *reason = file.errorString();
    return written;
}
