// trellisctl: configures a server from the command line, for scripts and configuration
// management tools; see kCtlUsage.

#include "CtlCommands.h"

#include "server/HostServices.h"

#include <QApplication>

int main(int argc, char** argv) {
    // The sheet it runs is never shown: no screen is needed, nor used when there is one.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("trellisctl"));
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    if (arguments.isEmpty() || arguments.first() == QLatin1String("--help")) {
        std::fputs(kCtlUsage, arguments.isEmpty() ? stderr : stdout);
        return arguments.isEmpty() ? kCtlFailed : kCtlDone;
    }
    HostServiceFactory services;
    installServiceFactory(&services);
    const int status = RunCtl(arguments);
    installServiceFactory(nullptr);
    return status;
}
