#pragma once
// The server the end-to-end tests talk to. By default the embedded server of the test's
// state folder, reached as "localhost"; with TRELLIS_TEST_SERVER=service, a
// `trellis-server serve` over the same folder on a free loopback port, reached over
// HTTPS as "127.0.0.1:PORT" and trusted through a known hosts file of the test's own. Both
// serve the same files, so a test reads and changes the server's state the same way. A test
// about the network itself asks for the service whatever the variable says.

#include <QProcess>
#include <QTemporaryDir>

#include <string>

class TestServerHost {
public:
    enum class Path { AsConfigured, Service };
    explicit TestServerHost(const QString& stateFolder, Path path = Path::AsConfigured);
    ~TestServerHost();
    TestServerHost(const TestServerHost&) = delete;
    TestServerHost& operator=(const TestServerHost&) = delete;

    // Whether this run's tests reach the server over the network.
    static bool overNetwork();

    // Whether this host is the network service.
    bool service() const { return m_network; }

    // The host the utility is given.
    const std::string& host() const { return m_host; }
    // The SHA-256 fingerprint of the service's certificate, as "AB:CD:...".
    const QString& fingerprint() const { return m_fingerprint; }
    // Why the service did not start; empty when it runs or none is needed.
    const std::string& failure() const { return m_failure; }

    // How long a channel a commit changes stays offline; the service is started anew on
    // its port to take it, so this is set before the utility logs on.
    bool setRestartDelay(int milliseconds);

    // Ends the service: asked to end, or killed at once (SIGKILL) as a crash or a power cut
    // ends it. Its clients' connections break.
    void stop();
    void kill();
    // Starts the service again on its port, over the same folder.
    bool restart();

private:
    bool start(const QString& listen);

    QString m_stateFolder;
    bool m_network = false;
    QString m_fingerprint;
    std::string m_host = "localhost";
    std::string m_failure;
    QString m_listen;
    int m_restartMs = 0;
    QProcess m_service;
    QTemporaryDir m_config;
    QByteArray m_savedConfigHome;
    bool m_hadConfigHome = false;
};
