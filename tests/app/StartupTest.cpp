#include "app/TrellisApp.h"
#include "platform/ScriptedPrompter.h"

#include <QDialog>
#include <QRegularExpression>
#include <QSysInfo>

#include <gtest/gtest.h>

namespace {

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
    void SetUp() override { script.install(); }
    // Starts with the arguments; the sheet is closed at once with the given result.
    void start(const QStringList& arguments) {
        script.answerDialog([this](QDialog& sheet) {
            sheetCaption = sheet.windowTitle();
            sheetSize = sheet.size();
            return static_cast<int>(QDialog::Accepted);
        });
        EXPECT_FALSE(app.InitInstance(arguments));
    }

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

TEST_F(StartupTest, AFailedAttachEndsStartUpWithItsMessage) {
    app.makeFramework = [] {
        return std::make_unique<UnreachableFramework>();
    };
    EXPECT_FALSE(app.InitInstance({}));
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().text, "Could not attach to Corvane framework");
    EXPECT_EQ(script.last().style, MB_TOUCH_ERROR);
    EXPECT_TRUE(app.GetPaneId().isEmpty());
    EXPECT_NE(app.GetFramework(), nullptr); // kept until ExitInstance
    EXPECT_EQ(app.ExitInstance(), 0);
}

TEST_F(StartupTest, HelpOpensThePageBesideTheProgram) {
    start({});
    QUrl opened;
    app.openHelp = [&](const QUrl& url) {
        opened = url;
    };
    app.OnHelp();
    EXPECT_EQ(opened.toLocalFile(), app.GetModuleDirectory() + "/help/index.html");
    EXPECT_EQ(opened.fragment(), "start");
}
