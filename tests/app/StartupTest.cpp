#include "app/HelpDialog.h"
#include "app/TrellisApp.h"
#include "app/TrellisCommandLineInfo.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFrameworkSegment.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

namespace {

// The framework segment a utility this user runs shares: absent, or its contents.
std::optional<std::string> userSegment() {
    std::ifstream file("/dev/shm/trellis-framework-" + std::to_string(getuid()), std::ios::binary);
    if (!file)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A framework that cannot be attached to.
class UnreachableFramework : public CTrellisFramework {
public:
    bool OpenSharedSegment(bool& created) override {
        created = false;
        return false;
    }
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        script.install();
        segment = useTestFrameworkSegment();
    }
    // Starts with the arguments; the sheet is closed at once with the given result.
    void start(const QStringList& arguments) {
        script.answerDialog([this](QDialog& sheet) {
            sheetCaption = sheet.windowTitle();
            sheetSize = sheet.size();
            return static_cast<int>(QDialog::Accepted);
        });
        EXPECT_FALSE(app.InitInstance(arguments));
    }

    std::string segment;
    ScriptedPrompter script;
    CTrellisApp app;
    QString sheetCaption;
    QSize sheetSize;
};

} // namespace

TEST_F(StartupTest, NoArgumentsMeansThisComputer) {
    start({});
    EXPECT_EQ(app.GetHostName(), "localhost");
    EXPECT_EQ(sheetCaption, "Configuration for " + QSysInfo::machineHostName());
    EXPECT_EQ(sheetSize, QSize(620, 460));
    EXPECT_EQ(app.GetCredentialsGiven(), 0);
    EXPECT_EQ(CTrellisApp::instance(), &app);
}

TEST_F(StartupTest, LocalInAnyCaseOrEmptyIsThisComputerButTheCaptionShowsIt) {
    start({"LOCAL"});
    EXPECT_EQ(app.GetHostName(), "localhost");
    EXPECT_EQ(sheetCaption, "Configuration for LOCAL");
    app.ExitInstance();
    start({""});
    EXPECT_EQ(app.GetHostName(), "localhost");
    EXPECT_EQ(sheetCaption, "Configuration for ");
}

TEST_F(StartupTest, TwoArgumentsGiveAUserWithoutPassword) {
    start({"studio-7", "admin"});
    EXPECT_EQ(app.GetHostName(), "studio-7");
    EXPECT_EQ(app.GetUserName(), "admin");
    EXPECT_EQ(app.GetPassword(), "");
    EXPECT_EQ(app.GetDomain(), "");
    EXPECT_EQ(app.GetCredentialsGiven(), -1);
}

TEST_F(StartupTest, SwitchesCountAsPositionalParameters) {
    start({"/x", "admin", "secret", "WORKGROUP", "ignored"});
    EXPECT_EQ(app.GetHostName(), "x");
    EXPECT_EQ(app.GetUserName(), "admin");
    EXPECT_EQ(app.GetDomain(), "WORKGROUP");
}

TEST_F(StartupTest, PaneIsRegisteredWithAFreshIdentifier) {
    start({});
    const QString pane = app.GetPaneId();
    EXPECT_EQ(pane.size(), 32);
    EXPECT_FALSE(pane.contains('-'));
    EXPECT_TRUE(QRegularExpression("^[0-9a-f]{32}$").match(pane).hasMatch());
    EXPECT_FALSE(app.GetModuleDirectory().isEmpty());
    // The pane is revoked at exit.
    ASSERT_NE(app.GetFramework(), nullptr);
    EXPECT_EQ(app.GetFramework()->RevokePane(pane.toStdString()), S_OK);
    EXPECT_EQ(app.GetFramework()->RevokePane(pane.toStdString()), S_FALSE);
    app.ExitInstance();
    EXPECT_EQ(app.GetFramework(), nullptr);
}

TEST_F(StartupTest, TheUsersFrameworkSegmentIsLeftAlone) {
    const std::optional<std::string> before = userSegment();
    bool ownSegmentOpen = false;
    script.answerDialog([&](QDialog&) {
        ownSegmentOpen = std::filesystem::exists("/dev/shm/" + segment);
        return static_cast<int>(QDialog::Accepted);
    });
    EXPECT_FALSE(app.InitInstance({}));
    EXPECT_FALSE(app.GetPaneId().isEmpty());
    EXPECT_TRUE(ownSegmentOpen);
    EXPECT_TRUE(userSegment() == before) << "the user's framework segment was changed";
    app.ExitInstance();
    EXPECT_FALSE(std::filesystem::exists("/dev/shm/" + segment));
}

TEST_F(StartupTest, AFailedAttachEndsStartUpWithItsMessageAndAFailureStatus) {
    app.makeFramework = [] {
        return std::make_unique<UnreachableFramework>();
    };
    EXPECT_FALSE(app.InitInstance({}));
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().text, "Could not attach to Corvane framework");
    EXPECT_EQ(script.last().style, MB_TOUCH_ERROR);
    EXPECT_TRUE(app.GetPaneId().isEmpty());
    EXPECT_NE(app.GetFramework(), nullptr); // kept until ExitInstance
    EXPECT_EQ(app.ExitInstance(), 1);
}

TEST_F(StartupTest, AFailedPaneRegistrationIsShownNotSilent) {
    // Other panes fill the framework's table, so this one cannot be registered.
    CTrellisFramework others;
    ASSERT_EQ(others.OpenFramework(0, nullptr), S_OK);
    HRESULT registered = S_OK;
    for (int i = 0; registered == S_OK; ++i)
        registered =
            others.RegisterPane(getpid(), "pane" + std::to_string(i), "Other", 0, 256, 0, 0);
    ASSERT_EQ(registered, E_OUTOFMEMORY);

    EXPECT_FALSE(app.InitInstance({}));
    ASSERT_EQ(script.questions().size(), 1u); // no sheet
    EXPECT_EQ(script.last().text,
              "Not enough memory resources are available to complete this operation.");
    EXPECT_EQ(script.last().caption, "Trellis");
    EXPECT_EQ(app.ExitInstance(), 1);
}

TEST(CommandLine, ThePasswordIsBlankedInTheProcessArguments) {
    char program[] = "trellis";
    char host[] = "studio-7";
    char user[] = "admin";
    char password[] = "s3cret";
    char domain[] = "WORKGROUP";
    char* argv[] = {program, host, user, password, domain, nullptr};
    CTrellisCommandLineInfo::HidePassword(5, argv);
    // Compared as a flag, so that a failure does not print the password.
    EXPECT_TRUE(
        std::all_of(std::begin(password), std::end(password), [](char c) { return c == '\0'; }));
    EXPECT_STREQ(argv[2], "admin");
    EXPECT_STREQ(argv[4], "WORKGROUP");

    char* withoutPassword[] = {program, host, user, nullptr};
    CTrellisCommandLineInfo::HidePassword(3, withoutPassword);
    EXPECT_STREQ(user, "admin");
}

TEST_F(StartupTest, HelpOpensThePageBesideTheProgram) {
    start({});
    QUrl opened;
    app.openHelp = [&](const QUrl& url) {
        opened = url;
        return true;
    };
    app.OnHelp();
    EXPECT_EQ(opened.toLocalFile(), app.GetModuleDirectory() + "/help/index.html");
    EXPECT_EQ(opened.fragment(), "start");
}

TEST_F(StartupTest, HelpThatCannotBeShownSaysWhy) {
    ASSERT_TRUE(QFileInfo::exists(QCoreApplication::applicationDirPath() + "/help/index.html"));
    start({});
    app.openHelp = [](const QUrl&) {
        return false;
    };
    script.clear();
    script.answer(IDOK);
    app.OnHelp();
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().caption, "Help");
    EXPECT_EQ(script.last().text,
              "The help page could not be shown: " +
                  (app.GetModuleDirectory() + "/help/index.html").toStdString() +
                  " could not be read.");
}

TEST_F(StartupTest, TheHelpPageIsShownInsideTheProgramFromItsStart) {
    start({});
    QUrl page = QUrl::fromLocalFile(app.GetModuleDirectory() + "/help/index.html");
    page.setFragment("start");
    CHelpDialog dialog(page);
    ASSERT_TRUE(dialog.Loaded());
    EXPECT_TRUE(dialog.Browser()->toPlainText().startsWith("Trellis configuration utility"));
    EXPECT_FALSE(
        CHelpDialog(QUrl::fromLocalFile(app.GetModuleDirectory() + "/no-such.html")).Loaded());
    // A page's section is shown from its heading, not from the page's top.
    page.setFragment("page-channel");
    CHelpDialog section(page);
    section.show();
    QCoreApplication::processEvents();
    const QTextCursor top = section.Browser()->cursorForPosition(QPoint(4, 4));
    EXPECT_TRUE(top.block().text().startsWith("Channel page")) << top.block().text().toStdString();
}
