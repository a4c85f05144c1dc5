// Starts the configuration utility against the server named on the command line; this
// machine's host is served by the embedded stand-in server, any other through its network
// service.

#include "FullScreen.h"
#include "InterfaceScale.h"
#include "SheetPlacement.h"
#include "TrellisApp.h"
#include "TrellisCommandLineInfo.h"
#include "pages/ChannelPermissionsDlg.h"
#include "platform/InstallPaths.h"
#include "platform/QtPrompter.h"
#include "platform/TouchFileDlg.h"
#include "server/HostServices.h"
#include "server/embedded/ConfigRules.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr const char* kUsage =
    "usage: trellis [host [user [password [domain]]]]\n"
    "  host      the server to configure; \"local\" or empty means this machine;\n"
    "            any other host, as name or name:port (port 7443 by default), is reached\n"
    "            through its network service; the hosts trusted are kept in\n"
    "            $XDG_CONFIG_HOME/trellis/known_hosts (~/.config/trellis/known_hosts)\n"
    "  user      logs on as this user without asking (password and domain follow)\n"
    "Exit status: 0, or 1 when the program could not start or the logon was refused.\n"
    "The embedded server keeps its state in $TRELLIS_SERVER_DIR, else in the user's data\n"
    "folder. TRELLIS_WORKSTATION=1 selects the control-workstation layout.\n"
    "TRELLIS_SCALE (a number from 0.5 to 4, such as 1.5) scales the whole interface;\n"
    "  a scale too large for the screen is lowered to the largest that fits.\n"
    "TRELLIS_FULLSCREEN=1 covers the whole screen, as on a kiosk touch screen.\n"
    "TRELLIS_DATA_DIR names the folder of the help pages and default configurations.\n";

// Where the program reads its files from, after the usage.
void printFiles() {
    std::printf("Help pages: %s\n", qPrintable(HelpPagePath()));
    std::printf("Default configurations of the embedded server:\n%s",
                DefaultConfigurationSources().c_str());
    std::printf("Save and Load open %s\n", qPrintable(CTouchFileDlg::ConfigurationsFolder()));
}

} // namespace

int main(int argc, char* argv[]) {
    // Only as the sole argument: no host name starts with "-".
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        printFiles();
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("trellis %s\n", TRELLIS_VERSION);
        return 0;
    }

    // Qt takes the scale when the application object is made.
    if (const std::string refusal = ApplyInterfaceScale(); !refusal.empty())
        std::fprintf(stderr, "trellis: %s\n", refusal.c_str());
    const std::unique_ptr<QApplication> application =
        MakeApplicationFittingScreen(argc, argv, kSheetDesignSize);
    CDialogScreenFit dialogFit;
    application->installEventFilter(&dialogFit);
    const FullScreenChoice fullScreen = ParseFullScreen(qgetenv("TRELLIS_FULLSCREEN"));
    if (!fullScreen.refusal.empty())
        std::fprintf(stderr, "trellis: %s\n", fullScreen.refusal.c_str());
    const std::unique_ptr<QWidget> backdrop =
        fullScreen.on ? ShowFullScreenBackdrop() : std::unique_ptr<QWidget>();
    QtPrompter qtPrompter;
    installPrompter(&qtPrompter);
    HostServiceFactory services;
    services.setPermissionsPresenter(&CChannelPermissionsDlg::Present);
    installServiceFactory(&services);

    // Qt has taken its own options out of argv; what is left are the utility's parameters.
    const QStringList arguments = application->arguments().mid(1);
    CTrellisCommandLineInfo::HidePassword(argc, argv);

    CTrellisApp trellis;
    trellis.InitInstance(arguments);
    const int result = trellis.ExitInstance();

    installServiceFactory(nullptr);
    installPrompter(nullptr);
    return result;
}
