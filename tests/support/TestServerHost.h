#pragma once
// The server the end-to-end tests talk to. By default the embedded server of the test's
// state folder, reached as "localhost"; with TRELLIS_TEST_SERVER=service, a
// `trellis-server serve` over the same folder on a free loopback port, reached over
// HTTPS as "127.0.0.1:PORT" and trusted through a known hosts file of the test's own. Both
// serve the same files, so a test reads and changes the server's state the same way. A
// program that measures the service asks for it directly, whatever the environment says.

#include <QProcess>
#include <QTemporaryDir>

#include <string>

class TestServerHost {
public:
    enum class Reach { AsTheRunSays, Service };

    explicit TestServerHost(const QString& stateFolder, Reach reach = Reach::AsTheRunSays);
    ~TestServerHost();
    TestServerHost(const TestServerHost&) = delete;
    TestServerHost& operator=(const TestServerHost&) = delete;

    // Whether this run's tests reach the server over the network.
    static bool overNetwork();

    // The host the utility is given.
    const std::string& host() const { return m_host; }
    // Why the service did not start; empty when it runs or none is needed.
    const std::string& failure() const { return m_failure; }

    // How long a channel a commit changes stays offline; the service is started anew on
    // its port to take it, so this is set before the utility logs on.
    bool setRestartDelay(int milliseconds);

private:
    bool start(const QString& listen);
    void stop();

    QString m_stateFolder;
    bool m_network;
    std::string m_host = "localhost";
    std::string m_failure;
    QString m_listen;
    int m_restartMs = 0;
    QProcess m_service;
    QTemporaryDir m_config;
    QByteArray m_savedConfigHome;
    bool m_hadConfigHome = false;
};
