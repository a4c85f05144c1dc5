#include "TrellisApp.h"

#include "HelpDialog.h"
#include "SheetPlacement.h"
#include "TrellisCommandLineInfo.h"
#include "TrellisDlg.h"
#include "platform/InstallPaths.h"
#include "platform/Prompter.h"
#include "state/TraceScope.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSysInfo>
#include <QUuid>

#include <unistd.h>

#include <cstdio>

namespace {

CTrellisApp* g_application = nullptr;

constexpr int kComputerNameLength = 100;

} // namespace

CTrellisApp::CTrellisApp() {
    g_application = this;
    makeFramework = [] {
        return std::make_unique<CTrellisFramework>();
    };
    // Shown inside the program: a touch screen has no browser to hand the page to.
    openHelp = [](const QUrl& url) {
        CHelpDialog dialog(url);
        if (!dialog.Loaded())
            return false;
        prompter().runDialog(dialog);
        return true;
    };
}

CTrellisApp::~CTrellisApp() {
    ExitInstance();
    if (g_application == this)
        g_application = nullptr;
}

CTrellisApp* CTrellisApp::instance() {
    return g_application;
}

bool CTrellisApp::InitInstance(const QStringList& arguments) {
    CTraceScope scope("CTrellisDlg::InitInstance");
    scope.Run([&] {
        const QString computerName = QSysInfo::machineHostName().left(kComputerNameLength - 1);

        m_caption = QStringLiteral("Configuration for ");
        CTrellisCommandLineInfo commandLine;
        commandLine.ParseCommandLine(arguments);

        QString parameter;
        if (commandLine.GetCount() == 0) {
            m_hostName = QStringLiteral("local");
            m_caption += computerName;
        }
        if (commandLine.GetParameter(0, parameter)) {
            m_hostName = parameter;
            m_caption += parameter;
        }
        if (commandLine.GetParameter(1, parameter)) {
            m_userName = parameter.toStdString();
            m_credentialsGiven = -1;
        }
        if (commandLine.GetParameter(2, parameter))
            m_password = parameter.toStdString();
        if (commandLine.GetParameter(3, parameter))
            m_domain = parameter.toStdString();

        if (m_hostName.isEmpty() ||
            m_hostName.compare(QLatin1String("local"), Qt::CaseInsensitive) == 0)
            m_hostName = QStringLiteral("localhost");

        m_framework = makeFramework();
        int unused = 0;
        if (!m_framework || FAILED(m_framework->OpenFramework(0, &unused))) {
            ReportStartupFailure("Could not attach to Corvane framework");
            return;
        }

        CTrellisDlg sheet(m_caption, kSheetDesignSize);

        m_paneId = QUuid::createUuid().toString(QUuid::WithoutBraces).remove(QLatin1Char('-'));
        scope.Check(m_framework->RegisterPane(static_cast<long>(getpid()), m_paneId.toStdString(),
                                              "TrellisPane", 0, 256, 0, sheet.internalWinId()));

        m_moduleDirectory = QCoreApplication::applicationDirPath();

        prompter().runDialog(sheet);
    });
    // A failure before the sheet ran (the pane registration, say) was reported where nobody
    // looks yet.
    if (scope.Failed())
        ReportStartupFailure(scope.FailureText());
    return false;
}

int CTrellisApp::ExitInstance() {
    if (m_framework) {
        m_framework->RevokePane(m_paneId.toStdString());
        m_framework.reset();
    }
    return m_exitCode;
}

void ReportStartupFailure(const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", QCoreApplication::applicationName().toLocal8Bit().constData(),
                 text.c_str());
    prompter().messageBox(text, "Trellis", MB_TOUCH_ERROR, nullptr);
    if (CTrellisApp* app = CTrellisApp::instance())
        app->SetExitCode(1);
}

void CTrellisApp::OnHelp(const QString& section) {
    // Beside the program in its build folder, or in the installed data folder.
    const QString page = HelpPagePath();
    QUrl url = QUrl::fromLocalFile(page);
    url.setFragment(section);
    if (!QFileInfo::exists(page))
        prompter().messageBox("The help page is missing: " + page.toStdString(), "Help",
                              MB_TOUCH_ERROR, nullptr);
    else if (!openHelp(url))
        prompter().messageBox("The help page could not be shown: " + page.toStdString() +
                                  " could not be read.",
                              "Help", MB_TOUCH_ERROR, nullptr);
}
