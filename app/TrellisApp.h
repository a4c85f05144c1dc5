#pragma once
// The application object: reads host and credentials from the command line, attaches to
// the host framework, registers the pane and runs the main configuration sheet modally.

#include "TrellisFramework.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>
#include <string>

class CTrellisApp {
public:
    CTrellisApp();
    ~CTrellisApp();
    CTrellisApp(const CTrellisApp&) = delete;
    CTrellisApp& operator=(const CTrellisApp&) = delete;

    // The one application object, while it exists.
    static CTrellisApp* instance();

    // The start-up sequence; always false, as the process ends when the sheet closes.
    bool InitInstance(const QStringList& arguments);
    // Ends the run; the result is the process's exit status: 0, or 1 when start-up failed
    // or the logon was refused.
    int ExitInstance();
    void SetExitCode(int code) { m_exitCode = code; }
    int ExitCode() const { return m_exitCode; }
    // Opens the help page beside the program at the section (an anchor of the page); says
    // so when it cannot.
    void OnHelp(const QString& section = QStringLiteral("start"));

    const QString& GetHostName() const { return m_hostName; }
    // The host the sheet logs on to when the command line was not read (benchmarks).
    void SetHostName(const QString& host) { m_hostName = host; }
    const QString& GetCaption() const { return m_caption; }
    CTrellisFramework* GetFramework() const { return m_framework.get(); }
    const QString& GetPaneId() const { return m_paneId; }
    const QString& GetModuleDirectory() const { return m_moduleDirectory; }
    const std::string& GetUserName() const { return m_userName; }
    const std::string& GetPassword() const { return m_password; }
    const std::string& GetDomain() const { return m_domain; }
    // -1 when a user name was given on the command line, else 0.
    short GetCredentialsGiven() const { return m_credentialsGiven; }

    // Seams for tests: how the framework object is made and how help is shown.
    std::function<std::unique_ptr<CTrellisFramework>()> makeFramework;
    // Shows a page; false when nothing could show it.
    std::function<bool(const QUrl&)> openHelp;

private:
    QString m_hostName = QStringLiteral("localhost");
    std::unique_ptr<CTrellisFramework> m_framework;
    QString m_paneId;
    QString m_moduleDirectory;
    std::string m_domain;
    std::string m_password;
    std::string m_userName;
    short m_credentialsGiven = 0;
    QString m_caption;
    int m_exitCode = 0;
};

// Tells the user why the program cannot go on, in a message box and on standard error for
// whoever started it, and makes the process end with a failure status.
void ReportStartupFailure(const std::string& text);
