#include "InstallPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString programFolder() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    // Before the application object is made (command-line tools, tests' statics).
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).path();
}

bool holdsData(const QDir& folder) {
    return folder.exists(QStringLiteral("help")) || folder.exists(QStringLiteral("defaults"));
}

} // namespace

QString DataDirectoryFrom(const QString& programFolder, const QString& dataDirVariable) {
    if (!dataDirVariable.isEmpty())
        return QDir::cleanPath(dataDirVariable);
    const QDir program(programFolder);
    const QDir installed(program.filePath(QStringLiteral("../share/trellis")));
    if (holdsData(installed))
        return QDir::cleanPath(installed.path());
    if (holdsData(program))
        return QDir::cleanPath(program.path());
    return QDir::cleanPath(installed.path());
}

QString DataDirectory() {
    return DataDirectoryFrom(programFolder(), qEnvironmentVariable("TRELLIS_DATA_DIR"));
}

QString HelpPagePath() {
    return DataDirectory() + QStringLiteral("/help/index.html");
}

QString DefaultConfigurationPath(const QString& referenceStandard) {
    return DataDirectory() + QStringLiteral("/defaults/") + referenceStandard +
           QStringLiteral(".xml");
}
