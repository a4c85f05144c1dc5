#include "server/embedded/StateFiles.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

TEST(StateFiles, ReadsWhatItWrote) {
    QTemporaryDir dir;
    const StateFiles files(dir.filePath("state"));
    EXPECT_FALSE(files.read("missing.json"));
    EXPECT_TRUE(files.readJson("missing.json").isEmpty());
    ASSERT_EQ(files.writeJson("a.json", QJsonObject{{"x", 1}}), S_OK);
    EXPECT_EQ(files.readJson("a.json").value("x").toInt(), 1);
    // Only the owner may read the state.
    EXPECT_EQ(QFile(files.path("a.json")).permissions() &
                  (QFileDevice::ReadOther | QFileDevice::ReadGroup),
              0);
}

TEST(StateFiles, MalformedJsonReadsAsEmpty) {
    QTemporaryDir dir;
    const StateFiles files(dir.path());
    ASSERT_EQ(files.write("bad.json", "{ not json"), S_OK);
    EXPECT_TRUE(files.readJson("bad.json").isEmpty());
}

TEST(StateFiles, AKilledWriteLeavesTheOldFileOrTheNewOneWhole) {
    QTemporaryDir dir;
    QProcess writer;
    writer.start(STATE_FILE_WRITER, {dir.path()});
    ASSERT_TRUE(writer.waitForStarted());
    // Let a few complete writes happen, then kill it in the middle of the next.
    QByteArray said;
    while (!said.contains("wrote 2") && writer.waitForReadyRead(10000))
        said += writer.readAllStandardOutput();
    ASSERT_TRUE(said.contains("wrote 2"));
    writer.kill();
    writer.waitForFinished();

    QFile file(dir.filePath("config.xml"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    ASSERT_EQ(content.size(), 4 * 1024 * 1024);
    EXPECT_EQ(content.count(content.front()), content.size());
}

namespace {

void writeAgedFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(content), content.size());
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3),
                                 QFileDevice::FileModificationTime));
}

} // namespace

TEST(StateFiles, ALockLeftByAKilledHolderIsBrokenWithinSeconds) {
    QProcess gone;
    gone.start("true", {});
    ASSERT_TRUE(gone.waitForStarted());
    const QByteArray deadHolder = QByteArray::number(gone.processId()) + "\ntrue\n\n";
    ASSERT_TRUE(gone.waitForFinished());

    struct Case {
        const char* what;
        QByteArray lock;
        std::optional<QByteArray> removing;
    };
    const Case cases[] = {
        {"killed between making the lock file and writing its process id into it", {}, {}},
        {"killed while it broke the lock of a holder killed before it", deadHolder, QByteArray()},
    };
    for (const Case& killed : cases) {
        SCOPED_TRACE(killed.what);
        QTemporaryDir dir;
        const StateFiles files(dir.path());
        const QString lockPath = files.path("channels.json.lock");
        writeAgedFile(lockPath, killed.lock);
        if (killed.removing)
            writeAgedFile(lockPath + ".rmlock", *killed.removing);

        QElapsedTimer clock;
        clock.start();
        ASSERT_EQ(files.updateJson("channels.json",
                                   [](QJsonObject& object) {
                                       object.insert("x", 1);
                                       return S_OK;
                                   }),
                  S_OK);
        EXPECT_LT(clock.elapsed(), 2000); // not the ten seconds of a stuck holder
        EXPECT_EQ(files.readJson("channels.json").value("x").toInt(), 1);
    }
}
