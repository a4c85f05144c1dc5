// Starts the configuration utility against the server named on the command line; this
// machine's host is served by the embedded stand-in server.

#include "TrellisApp.h"
#include "platform/QtPrompter.h"
#include "server/embedded/EmbeddedServices.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage =
    "usage: trellis [host [user [password [domain]]]]\n"
    "  host      the server to configure; \"local\" or empty means this machine\n"
    "  user      logs on as this user without asking (password and domain follow)\n"
    "The embedded server keeps its state in $TRELLIS_SERVER_DIR, else in the user's data\n"
    "folder. TRELLIS_WORKSTATION=1 selects the control-workstation layout.\n";

} // namespace

int main(int argc, char* argv[]) {
    // Only as the sole argument: no host name starts with "-".
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("trellis %s\n", TRELLIS_VERSION);
        return 0;
    }

    QApplication application(argc, argv);
    QtPrompter qtPrompter;
    installPrompter(&qtPrompter);
    EmbeddedServiceFactory services;
    installServiceFactory(&services);

    CTrellisApp trellis;
    trellis.InitInstance(application.arguments().mid(1));
    const int result = trellis.ExitInstance();

    installServiceFactory(nullptr);
    installPrompter(nullptr);
    return result;
}
