#include "TestServerHost.h"

#include "server/remote/KnownHosts.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

namespace {

constexpr int kStartMs = 20000;

} // namespace

bool TestServerHost::overNetwork() {
    return qgetenv("TRELLIS_TEST_SERVER") == "service";
}

TestServerHost::TestServerHost(const QString& stateFolder, Reach reach)
    : m_stateFolder(stateFolder), m_network(reach == Reach::Service || overNetwork()) {
    if (!m_network)
        return;
    // The client finds its known hosts in the user's configuration folder: this test's own.
    m_hadConfigHome = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    m_savedConfigHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    start(QStringLiteral("127.0.0.1:0"));
}

TestServerHost::~TestServerHost() {
    stop();
    if (!m_network)
        return;
    if (m_hadConfigHome)
        qputenv("XDG_CONFIG_HOME", m_savedConfigHome);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

bool TestServerHost::start(const QString& listen) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Channels a commit changes come back at once unless a test says otherwise, as the
    // embedded server's tests set them.
    environment.insert(QStringLiteral("TRELLIS_SERVER_RESTART_MS"), QString::number(m_restartMs));
    m_service.setProcessEnvironment(environment);
    m_service.setProcessChannelMode(QProcess::SeparateChannels);
    m_service.start(QStringLiteral(TRELLIS_SERVER_TOOL),
                    {QStringLiteral("--dir"), m_stateFolder, QStringLiteral("serve"),
                     QStringLiteral("--listen"), listen});
    // The service says where it listens and what its certificate is, once it listens.
    static const QRegularExpression listening(
        QStringLiteral("listening on ([^ ,]+), certificate SHA-256 ([0-9A-F:]+)"));
    const QDeadlineTimer deadline(kStartMs);
    QByteArray output;
    while (!deadline.hasExpired() && m_service.state() != QProcess::NotRunning) {
        m_service.waitForReadyRead(200);
        output += m_service.readAllStandardOutput();
        const QRegularExpressionMatch found = listening.match(QString::fromLocal8Bit(output));
        if (!found.hasMatch())
            continue;
        m_listen = found.captured(1);
        QString why;
        if (!KnownHosts().remember(m_listen, found.captured(2), &why)) {
            m_failure = "the service could not be trusted: " + why.toStdString();
            return false;
        }
        m_host = m_listen.toStdString();
        m_failure.clear();
        return true;
    }
    m_failure = "trellis-server serve did not start: " +
                QString::fromLocal8Bit(output + m_service.readAllStandardError()).toStdString();
    return false;
}

void TestServerHost::stop() {
    if (m_service.state() == QProcess::NotRunning)
        return;
    m_service.terminate();
    if (!m_service.waitForFinished(5000)) {
        m_service.kill();
        m_service.waitForFinished(5000);
    }
}

bool TestServerHost::setRestartDelay(int milliseconds) {
    m_restartMs = milliseconds;
    if (!m_network)
        return true;
    stop();
    return start(m_listen);
}
