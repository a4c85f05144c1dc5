#pragma once
// The service's TLS certificate and key: a facility's own, read from files, or the state
// folder's, made on first start (an EC P-256 key and a self-signed certificate for this
// host, valid ten years; the key file is the owner's only).

#include "server/embedded/StateFiles.h"

#include <QSslCertificate>
#include <QSslKey>

#include <string>

struct ServiceCredentials {
    QSslCertificate certificate;
    QSslKey key;
};

// Reads a PEM certificate and its key; false with the reason when either cannot be used.
bool LoadCredentials(const QString& certificateFile, const QString& keyFile,
                     ServiceCredentials& credentials, std::string& reason);

// The state folder's certificate and key, made when it has neither. made tells whether
// they were made now.
bool StateCredentials(const StateFiles& files, ServiceCredentials& credentials, bool& made,
                      std::string& reason);

// The certificate's SHA-256 fingerprint as upper-case hex pairs: "AB:CD:...".
QString Fingerprint(const QSslCertificate& certificate);
