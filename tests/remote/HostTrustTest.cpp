#include "RemoteFixture.h"

#include <sys/stat.h>

namespace {

TEST_F(RemoteTest, AnUnknownHostIsTrustedOnlyWhenTheUserSaysSoAndThenKnown) {
    const std::string question =
        "The host server " + service.host() +
        " is not known on this computer. The SHA-256 fingerprint of its certificate is:\n" +
        service.fingerprint().toStdString() +
        "\n\nCompare it with the fingerprint of the server's certificate. Trust this host and "
        "connect?";
    service.setHandler([](const Request& request) { return *sessionAnswer(request); });

    // No: nothing is sent, not even the logon.
    prompter.answer(IDNO);
    const std::shared_ptr<IConnection> refused = connectTo();
    EXPECT_EQ(refused->LogOn("admin", kPassword, "", true), S_OK);
    EXPECT_FALSE(connected(*refused));
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.last().text, question);
    EXPECT_EQ(prompter.last().caption, "Unknown Host");
    EXPECT_EQ(prompter.last().style, MB_TOUCH_QUESTION | MB_DEFBUTTON2);
    EXPECT_TRUE(service.requests().empty());
    EXPECT_FALSE(QFile::exists(knownHostsPath()));

    // Yes: the host is remembered, in a file only its owner reads.
    prompter.answer(IDYES);
    const std::shared_ptr<IConnection> trusted = connectTo();
    EXPECT_EQ(prompter.questions().size(), 2u);
    EXPECT_EQ(trusted->LogOn("admin", kPassword, "", true), S_OK);
    EXPECT_TRUE(connected(*trusted));
    EXPECT_EQ(knownHosts(), QByteArray::fromStdString(service.host()) + ' ' +
                                service.fingerprint().toLatin1() + '\n');
    struct stat info {};
    ASSERT_EQ(stat(knownHostsPath().toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // Known: no question.
    const std::shared_ptr<IConnection> again = connectTo();
    EXPECT_TRUE(connected(*again));
    EXPECT_EQ(prompter.questions().size(), 2u);
    EXPECT_EQ(prompter.unexpectedCount(), 0);
}

TEST_F(RemoteTest, AChangedCertificateIsRefusedNamingBothFingerprintsAndNothingIsSent) {
    const QString before = QStringLiteral(
        "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:"
        "DD:EE:FF");
    trust(before);
    const QByteArray file = knownHosts();

    const std::shared_ptr<IConnection> connection = connectTo();
    EXPECT_EQ(connection->LogOn("admin", kPassword, "", true), S_OK);

    EXPECT_FALSE(connected(*connection));
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.last().text,
              "The certificate of host server " + service.host() +
                  " is not the one trusted before. Nothing was sent to it.\n\nTrusted SHA-256 "
                  "fingerprint:\n" +
                  before.toStdString() + "\nFingerprint shown now:\n" +
                  service.fingerprint().toStdString() +
                  "\n\nIf the server's certificate was replaced on purpose, remove the line of " +
                  service.host() + " from " + knownHostsPath().toStdString() +
                  " and connect again.");
    EXPECT_EQ(prompter.last().caption, "Host Certificate Changed");
    EXPECT_EQ(prompter.last().style, MB_TOUCH_WARNING);
    EXPECT_TRUE(service.requests().empty());
    EXPECT_EQ(knownHosts(), file);
}

} // namespace
