#pragma once
// The hosts this user trusts, as SSH keeps them: one line per host ("host:port FINGERPRINT",
// the SHA-256 fingerprint of the host's certificate) in the user's configuration folder. The
// file is written whole and atomically, readable by its owner only.

#include <QString>

#include <optional>

class KnownHosts {
public:
    // The file of the user's configuration folder ($XDG_CONFIG_HOME/trellis/known_hosts).
    KnownHosts();
    explicit KnownHosts(QString path) : m_path(std::move(path)) {}

    const QString& path() const { return m_path; }
    // The fingerprint trusted for host ("host:port"), none when the host is unknown.
    std::optional<QString> fingerprint(const QString& host) const;
    // Trusts host with fingerprint from now on; false with the reason when the file could not
    // be written.
    bool remember(const QString& host, const QString& fingerprint, QString* reason);

private:
    QString m_path;
};
