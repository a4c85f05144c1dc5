// trellisctl as a script runs it, against the stand-in server (embedded, or its network
// service): what apply stores, the statuses of what it refuses, rollback, trust, and that a
// password is never taken from the command line nor shown.

#include "ctl/CtlCommands.h"
#include "platform/XmlDocument.h"
#include "server/HostServices.h"
#include "server/ServiceFactory.h"
#include "server/embedded/EmbeddedServer.h"
#include "support/TestServerHost.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const std::string kTimeOfDay = "/Config/System/TimeOfDay";
// Passwords no output could hold by chance, so that finding one in it means it was shown.
const QString kAdminPassword = QStringLiteral("Qx7-admin-secret");
const QString kOperatorPassword = QStringLiteral("Qx7-operator-secret");

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class CtlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(host.failure(), "");
        server = EmbeddedServer::forDirectory(dir.path());
        server->setRestartDelay(0);
        ASSERT_EQ(server->accounts().setAccount("admin", kAdminPassword, "", {"Administrators"}),
                  S_OK);
        ASSERT_EQ(server->accounts().setAccount("operator", kOperatorPassword, "", {"Users"}),
                  S_OK);
        ASSERT_TRUE(host.setRestartDelay(0));
    }

    // Runs trellisctl on the test's host with the password in the environment.
    // What trellisctl is started with: the test's server folder and the password.
    QProcessEnvironment environment(const QString& password) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TRELLIS_SERVER_DIR"), dir.path());
        environment.insert(QStringLiteral("TRELLIS_PASSWORD"), password);
        // Under the leak checker: OpenSSL sometimes keeps a network thread's error and random
        // generator state when the process ends right after the thread did, as these short
        // commands do; that is OpenSSL's, not trellisctl's (the sheet tests over the service
        // check the same code for leaks in a process that goes on).
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           environment.value(QStringLiteral("ASAN_OPTIONS")) +
                               QStringLiteral(":detect_leaks=0"));
        return environment;
    }
    Outcome ctl(QStringList arguments, const QString& password = kAdminPassword) {
        QProcess process;
        process.setProcessEnvironment(environment(password));
        arguments.prepend(QString::fromStdString(host.host()));
        arguments.prepend(QStringLiteral("--host"));
        process.start(QStringLiteral(TRELLISCTL), arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        Outcome run{process.exitCode(), process.readAllStandardOutput().toStdString(),
                    process.readAllStandardError().toStdString()};
        // Whatever the command did, it answered with one of its statuses (never a crash) and
        // its password shows nowhere.
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << run.err;
        EXPECT_LE(run.status, kCtlRefused) << run.err;
        EXPECT_EQ(run.out.find(password.toStdString()), std::string::npos) << run.out;
        EXPECT_EQ(run.err.find(password.toStdString()), std::string::npos) << run.err;
        return run;
    }
    std::string stored() {
        std::string text;
        EmbeddedServer(dir.path()).configuration(text);
        return text;
    }
    // The stored configuration with one attribute changed, written to a file.
    QString changedFile(const std::string& element, const char* attribute, const char* value) {
        XmlDocument document;
        EXPECT_EQ(document.loadXml(stored()), S_OK);
        document.documentNode().selectSingleNode(element).setAttribute(attribute, value);
        const QString path = files.filePath(QStringLiteral("changed.xml"));
        EXPECT_EQ(document.save(path), S_OK);
        return path;
    }

    QTemporaryDir dir;
    QTemporaryDir files;
    TestServerHost host{dir.path()};
    std::shared_ptr<EmbeddedServer> server;
};

} // namespace

TEST_F(CtlTest, ApplyingWhatGetPrintedChangesNothingAndAChangedFileStoresExactlyItsChange) {
    const Outcome got = ctl({"get"});
    ASSERT_EQ(got.status, kCtlDone) << got.err;
    const QString same = files.filePath(QStringLiteral("same.xml"));
    QFile file(same);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(got.out));
    file.close();
    EXPECT_EQ(ctl({"apply", same, "--yes"}).status, kCtlNothingToChange);

    const std::string before = stored();
    const QString changed = changedFile(kTimeOfDay, "timeOfDaySource", "Ltc");
    const Outcome diff = ctl({"diff", changed});
    EXPECT_EQ(diff.status, kCtlDone) << diff.err;
    EXPECT_EQ(diff.out, "Changes " + changed.toStdString() + " would make to " + host.host() +
                            "\n\nSystem\n  Time Of Day \u203A Time of day source: System Clock "
                            "\u2192 LTC Input\n\n");
    const Outcome applied = ctl({"apply", changed, "--yes"});
    ASSERT_EQ(applied.status, kCtlDone) << applied.err;
    EXPECT_NE(applied.out.find("Committed: System (1 change).\nNo channel restarted."),
              std::string::npos)
        << applied.out;
    XmlDocument expected;
    ASSERT_EQ(expected.loadXml(before), S_OK);
    expected.documentNode().selectSingleNode(kTimeOfDay).setAttribute("timeOfDaySource", "Ltc");
    EXPECT_EQ(stored(), expected.xml());
    EXPECT_EQ(ctl({"get", "--xpath", "//TimeOfDay/@timeOfDaySource"}).out, "Ltc\n");

    // Back to the entry before, with the same checks.
    std::vector<HistoryEntry> entries;
    ASSERT_EQ(server->history().ListHistory(0, 2, entries), S_OK);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(ctl({"rollback", QString::number(entries[1].id), "--yes"}).status, kCtlDone);
    EXPECT_EQ(stored(), before);
}

TEST_F(CtlTest, ARecordingChannelAReadOnlyUserAndABadFileAreRefusedAndChangeNothing) {
    const std::string before = stored();
    const QString looping = changedFile("/Config/Channel[@channelIndex='0']", "loop", "true");
    ASSERT_EQ(server->setChannelStatus(0, "portstate", "3"), S_OK); // recording
    const Outcome busy = ctl({"apply", looping, "--yes"});
    EXPECT_EQ(busy.status, kCtlRefused);
    EXPECT_NE(busy.err.find("nothing was committed: C1 is recording, and would stop. --force "
                            "commits all the same."),
              std::string::npos)
        << busy.err;

    // The same refusal for a script, in JSON.
    const QJsonObject answer =
        QJsonDocument::fromJson(
            QByteArray::fromStdString(ctl({"--json", "apply", looping, "--yes"}).out))
            .object();
    EXPECT_FALSE(answer.value("committed").toBool());
    EXPECT_EQ(answer.value("stopping").toArray(), QJsonArray({"C1 is recording"}));
    EXPECT_EQ(answer.value("restarting").toArray(), QJsonArray({"C1"}));
    EXPECT_TRUE(
        answer.value("error").toString().startsWith("nothing was committed: C1 is recording"));

    const Outcome readOnly =
        ctl({"--user", "operator", "apply", looping, "--yes", "--force"}, kOperatorPassword);
    EXPECT_EQ(readOnly.status, kCtlRefused);
    EXPECT_NE(readOnly.err.find("you are not authorized to change configuration settings"),
              std::string::npos)
        << readOnly.err;

    const QString bad = files.filePath(QStringLiteral("bad.xml"));
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<Config><System>");
    file.close();
    const Outcome invalid = ctl({"validate", bad});
    EXPECT_EQ(invalid.status, kCtlFailed);
    EXPECT_NE(invalid.err.find("does not appear to be a valid XML file."), std::string::npos)
        << invalid.err;
    EXPECT_EQ(ctl({"apply", bad, "--yes"}).status, kCtlFailed);
    EXPECT_EQ(stored(), before);

    // Only the busy channel stood in the way.
    EXPECT_EQ(ctl({"apply", looping, "--yes", "--force"}).status, kCtlDone);
    EXPECT_NE(stored(), before);
}

TEST_F(CtlTest, APasswordIsNeverTakenFromTheCommandLine) {
    const Outcome given = ctl({"--password", kAdminPassword, "get"}, QStringLiteral("unused"));
    EXPECT_EQ(given.status, kCtlFailed);
    EXPECT_NE(given.err.find("a password is never taken from the command line"), std::string::npos);
    // From a file instead, whatever the environment says.
    const QString secret = files.filePath(QStringLiteral("password"));
    QFile file(secret);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(kAdminPassword.toLatin1() + "\n");
    file.close();
    EXPECT_EQ(ctl({"--password-file", secret, "get"}, QStringLiteral("wrong")).status, kCtlDone);
    const Outcome refused = ctl({"get"}, QStringLiteral("wrong"));
    EXPECT_EQ(refused.status, kCtlFailed);
    EXPECT_NE(refused.err.find("could not log on to "), std::string::npos) << refused.err;
}

// Another session commits while apply asks on the terminal: the commit overwrites nothing,
// and the status says so.
TEST_F(CtlTest, ACommitByAnotherSessionWhileApplyAsksIsAConflict) {
    const QString changed = changedFile(kTimeOfDay, "timeOfDaySource", "Ltc");
    QProcess terminal; // script(1) gives trellisctl a terminal to ask on
    terminal.setProcessEnvironment(environment(kAdminPassword));
    terminal.setProcessChannelMode(QProcess::MergedChannels);
    terminal.start(QStringLiteral("script"),
                   {"-qec",
                    QStringLiteral("%1 --host %2 apply %3")
                        .arg(TRELLISCTL, QString::fromStdString(host.host()), changed),
                    "/dev/null"});
    QByteArray shown;
    while (!shown.contains("yes or no? ") && terminal.waitForReadyRead(30000))
        shown += terminal.readAll();
    ASSERT_TRUE(shown.contains("Commit these changes to ")) << shown.toStdString();
    // While it waits, the process list holds no password: no command line of any process.
    for (const QString& process : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(process));
        if (commandLine.open(QIODevice::ReadOnly)) {
            EXPECT_FALSE(commandLine.readAll().contains(kAdminPassword.toLatin1()))
                << process.toStdString();
        }
    }

    XmlDocument other;
    ASSERT_EQ(other.loadXml(stored()), S_OK);
    other.documentNode()
        .selectSingleNode("//SystemAudioReference")
        .setAttribute("audioUnityLevel", "8");
    ASSERT_EQ(server->commit(ServerSession{"engineer", "", true}, other.xml()), S_OK);
    terminal.write("yes\n");
    ASSERT_TRUE(terminal.waitForFinished(60000));
    shown += terminal.readAll();
    EXPECT_EQ(terminal.exitCode(), kCtlConflict) << shown.toStdString();
    EXPECT_TRUE(shown.contains("changed since it was read")) << shown.toStdString();
    EXPECT_FALSE(shown.contains(kAdminPassword.toLatin1()));
    EXPECT_EQ(stored(), other.xml());
}

TEST(CtlTrust, TrustsAFingerprintOnceAndReplacesAnotherOnlyWhenForced) {
    QTemporaryDir config;
    const auto trust = [&](QStringList arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        process.setProcessEnvironment(environment);
        arguments.prepend(QStringLiteral("trust"));
        process.start(QStringLiteral(TRELLISCTL), arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        return process.exitCode();
    };
    const QString one = QStringLiteral("AB:").repeated(31) + QStringLiteral("AB");
    const QString two = QStringLiteral("cd:").repeated(31) + QStringLiteral("cd");
    EXPECT_EQ(trust({"studio-7", "AB:CD"}), kCtlFailed);
    EXPECT_EQ(trust({"studio-7", one}), kCtlDone);
    EXPECT_EQ(trust({"studio-7:7443", one}), kCtlNothingToChange);
    EXPECT_EQ(trust({"studio-7", two}), kCtlRefused);
    EXPECT_EQ(trust({"studio-7", two, "--force"}), kCtlDone);
    QFile known(config.path() + QStringLiteral("/trellis/known_hosts"));
    ASSERT_TRUE(known.open(QIODevice::ReadOnly));
    EXPECT_EQ(known.readAll(), "studio-7:7443 " + two.toUpper().toLatin1() + "\n");
}
