// Starts the configuration utility.

#include "platform/QtPrompter.h"

#include <QApplication>
#include <QDialog>
#include <QSysInfo>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    if (argc == 2 &&
        (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "--version") == 0)) {
        std::printf("trellis %s\nusage: trellis [host [user [password [domain]]]]\n",
                    TRELLIS_VERSION);
        return 0;
    }
    QApplication application(argc, argv);
    QtPrompter qtPrompter;
    installPrompter(&qtPrompter);

    QDialog sheet;
    sheet.setWindowTitle(QStringLiteral("Configuration for ") + QSysInfo::machineHostName());
    sheet.resize(620, 460);
    sheet.exec();
    installPrompter(nullptr);
    return 0;
}
