#include "KilledState.h"

#include "platform/XmlDocument.h"
#include "server/embedded/ConfigRules.h"
#include "server/embedded/EmbeddedServer.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <gtest/gtest.h>

std::string NormalizedXml(const std::string& text) {
    XmlDocument document;
    return document.loadXml(text) == S_OK ? document.xml() : std::string();
}

QByteArray ReadWholeFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::string ExpectWholeAfterKill(const QString& stateFolder,
                                 const std::set<std::string>& wholeConfigurations, int kill) {
    const QDir state(stateFolder);
    // The stored configuration is one of the whole versions.
    const QByteArray stored = ReadWholeFile(state.filePath(QStringLiteral("config.xml")));
    const std::string normalized = NormalizedXml(stored.toStdString());
    EXPECT_TRUE(wholeConfigurations.count(normalized))
        << "kill " << kill << ": config.xml is torn (" << stored.size() << " bytes)";
    // Every state file of the server reads.
    for (const QString& name : state.entryList({QStringLiteral("*.json")}, QDir::Files)) {
        QJsonParseError error{};
        QJsonDocument::fromJson(ReadWholeFile(state.filePath(name)), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError)
            << "kill " << kill << ": " << name.toStdString() << " is torn";
    }
    // The next start works: the configuration is usable and nothing was rejected.
    EmbeddedServer next(stateFolder);
    std::string running;
    EXPECT_EQ(next.configuration(running), S_OK) << "kill " << kill;
    std::string why;
    EXPECT_TRUE(IsUsableConfiguration(running, why)) << "kill " << kill << ": " << why;
    EXPECT_FALSE(next.rejectedConfiguration().has_value()) << "kill " << kill;
    // The history agrees: its newest entry holds what config.xml holds, and a kill never
    // leaves the database corrupt.
    HistoryEntry newest;
    std::string recorded;
    EXPECT_EQ(next.history().newest(newest), S_OK) << "kill " << kill;
    EXPECT_EQ(next.history().GetHistoryEntry(newest.id, newest, recorded), S_OK) << "kill " << kill;
    EXPECT_EQ(recorded, ReadWholeFile(state.filePath(QStringLiteral("config.xml"))).toStdString())
        << "kill " << kill << ": the history's newest entry is not the stored configuration";
    EXPECT_FALSE(next.history().keptAside().has_value()) << "kill " << kill;
    return normalized;
}
