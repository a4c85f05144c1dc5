#include "Certificate.h"

#include <QFile>
#include <QHostInfo>

#include <openssl/bio.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

namespace {

const QString kCertificateFile = QStringLiteral("service-certificate.pem");
const QString kKeyFile = QStringLiteral("service-key.pem");
constexpr long kValiditySeconds = 10L * 365 * 24 * 60 * 60;

template <class T, void (*Free)(T*)> struct Deleter {
    void operator()(T* pointer) const { Free(pointer); }
};
using Key = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using Certificate = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using Bio = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;
using Extension = std::unique_ptr<X509_EXTENSION, Deleter<X509_EXTENSION, X509_EXTENSION_free>>;

// A host name fit for a certificate's DNS name: letters, digits, hyphens and dots.
bool isDnsName(const QString& name) {
    if (name.isEmpty() || name.size() > 253)
        return false;
    for (const QChar c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('-') &&
            c != QLatin1Char('.'))
            return false;
    }
    return true;
}

QByteArray bioBytes(BIO* bio) {
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    return QByteArray(data, static_cast<qsizetype>(size));
}

bool addExtension(X509* certificate, int nid, const QByteArray& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    const Extension extension(X509V3_EXT_conf_nid(nullptr, &context, nid, value.constData()));
    return extension && X509_add_ext(certificate, extension.get(), -1) == 1;
}

// A new key and self-signed certificate as PEM text; false when OpenSSL failed.
bool makeCredentials(QByteArray& certificatePem, QByteArray& keyPem) {
    const Key key(EVP_EC_gen("P-256"));
    const Certificate certificate(X509_new());
    if (!key || !certificate)
        return false;
    const QString host = QHostInfo::localHostName();
    const QByteArray commonName = isDnsName(host) ? host.toLatin1() : QByteArray("localhost");
    QByteArray names = "DNS:localhost,IP:127.0.0.1,IP:::1";
    if (commonName != "localhost")
        names.prepend("DNS:" + commonName + ',');

    unsigned char serial[16];
    if (RAND_bytes(serial, sizeof serial) != 1)
        return false;
    serial[0] &= 0x7f; // a positive serial number
    BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
    const bool serialSet =
        number && BN_to_ASN1_INTEGER(number, X509_get_serialNumber(certificate.get())) != nullptr;
    BN_free(number);

    X509_NAME* subject = X509_get_subject_name(certificate.get());
    const bool made =
        serialSet && X509_set_version(certificate.get(), X509_VERSION_3) == 1 &&
        X509_gmtime_adj(X509_getm_notBefore(certificate.get()), 0) &&
        X509_gmtime_adj(X509_getm_notAfter(certificate.get()), kValiditySeconds) &&
        X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>(commonName.constData()),
                                   -1, -1, 0) == 1 &&
        X509_set_issuer_name(certificate.get(), subject) == 1 &&
        X509_set_pubkey(certificate.get(), key.get()) == 1 &&
        addExtension(certificate.get(), NID_subject_alt_name, names) &&
        addExtension(certificate.get(), NID_basic_constraints, "critical,CA:FALSE") &&
        addExtension(certificate.get(), NID_ext_key_usage, "serverAuth") &&
        X509_sign(certificate.get(), key.get(), EVP_sha256()) > 0;
    if (!made)
        return false;

    const Bio keyBio(BIO_new(BIO_s_mem()));
    const Bio certificateBio(BIO_new(BIO_s_mem()));
    if (!keyBio || !certificateBio ||
        PEM_write_bio_PrivateKey(keyBio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) !=
            1 ||
        PEM_write_bio_X509(certificateBio.get(), certificate.get()) != 1)
        return false;
    keyPem = bioBytes(keyBio.get());
    certificatePem = bioBytes(certificateBio.get());
    return true;
}

bool parseCredentials(const QByteArray& certificatePem, const QByteArray& keyPem,
                      const QString& certificateName, const QString& keyName,
                      ServiceCredentials& credentials, std::string& reason) {
    const QList<QSslCertificate> chain = QSslCertificate::fromData(certificatePem, QSsl::Pem);
    if (chain.isEmpty() || chain.first().isNull()) {
        reason = certificateName.toStdString() + " holds no PEM certificate";
        return false;
    }
    QSslKey key(keyPem, QSsl::Ec, QSsl::Pem);
    if (key.isNull())
        key = QSslKey(keyPem, QSsl::Rsa, QSsl::Pem);
    if (key.isNull()) {
        reason =
            keyName.toStdString() + " holds no PEM private key (EC or RSA) without a passphrase";
        return false;
    }
    credentials = {chain.first(), key};
    return true;
}

} // namespace

bool LoadCredentials(const QString& certificateFile, const QString& keyFile,
                     ServiceCredentials& credentials, std::string& reason) {
    QFile certificate(certificateFile);
    QFile key(keyFile);
    if (!certificate.open(QIODevice::ReadOnly)) {
        reason = certificateFile.toStdString() +
                 " cannot be read: " + certificate.errorString().toStdString();
        return false;
    }
    if (!key.open(QIODevice::ReadOnly)) {
        reason = keyFile.toStdString() + " cannot be read: " + key.errorString().toStdString();
        return false;
    }
    return parseCredentials(certificate.readAll(), key.readAll(), certificateFile, keyFile,
                            credentials, reason);
}

bool StateCredentials(const StateFiles& files, ServiceCredentials& credentials, bool& made,
                      std::string& reason) {
    made = false;
    QByteArray certificatePem;
    QByteArray keyPem;
    const HRESULT hr = files.locked(kCertificateFile, [&] {
        const bool hasCertificate = files.exists(kCertificateFile);
        const bool hasKey = files.exists(kKeyFile);
        if (hasCertificate != hasKey) {
            // One without the other is never replaced: the missing one may be in use elsewhere.
            reason = files.path(hasCertificate ? kKeyFile : kCertificateFile).toStdString() +
                     " is missing while " +
                     files.path(hasCertificate ? kCertificateFile : kKeyFile).toStdString() +
                     " exists; restore it, or remove both to have new ones made";
            return E_FAIL;
        }
        if (hasCertificate) {
            certificatePem = files.read(kCertificateFile).value_or(QByteArray());
            keyPem = files.read(kKeyFile).value_or(QByteArray());
            return S_OK;
        }
        if (!makeCredentials(certificatePem, keyPem)) {
            reason = "a key and certificate could not be made";
            return E_FAIL;
        }
        // The key first: a certificate on disk always has its key beside it.
        HRESULT written = files.write(kKeyFile, keyPem);
        if (SUCCEEDED(written))
            written = files.write(kCertificateFile, certificatePem);
        if (FAILED(written)) {
            files.remove(kKeyFile);
            reason = "the new key and certificate could not be stored in " +
                     files.directory().toStdString() + ": " + ComErrorText(written);
            return written;
        }
        made = true;
        return S_OK;
    });
    if (FAILED(hr)) {
        if (reason.empty())
            reason = "the certificate could not be read: " + ComErrorText(hr);
        return false;
    }
    return parseCredentials(certificatePem, keyPem, files.path(kCertificateFile),
                            files.path(kKeyFile), credentials, reason);
}

QString Fingerprint(const QSslCertificate& certificate) {
    return QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex(':').toUpper());
}
