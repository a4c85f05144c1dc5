#include "app/TrellisApp.h"
#include "app/TrellisDlg.h"
#include "platform/ScriptedPrompter.h"
#include "server/embedded/EmbeddedServices.h"
#include "state/ConfigState.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Starts the application against the embedded server and lets the sheet run its start-up.
class SheetStartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        script.install();
        installServiceFactory(&factory);
    }
    void TearDown() override { installServiceFactory(nullptr); }

    // Answers are given to the questions the start-up asks inside the sheet.
    void start(const QStringList& arguments, const std::vector<int>& answers = {}) {
        script.answerDialog([this](QDialog& dialog) {
            QCoreApplication::sendPostedEvents(&dialog);
            caption = dialog.windowTitle();
            closed = dialog.result() == QDialog::Rejected && !dialog.isVisible();
            auto& sheet = static_cast<CTrellisDlg&>(dialog);
            authorized = sheet.GetConfigState() && sheet.GetConfigState()->IsAuthorized();
            return IDOK;
        });
        for (int answer : answers)
            script.answer(answer);
        app.InitInstance(arguments);
    }

    QTemporaryDir dir;
    EmbeddedServiceFactory factory{dir.path()};
    ScriptedPrompter script;
    CTrellisApp app;
    QString caption;
    bool closed = false;
    bool authorized = false;
};

} // namespace

TEST_F(SheetStartupTest, AnAdministratorLogsOnFromTheCommandLine) {
    start({"local", "admin", "trellis"});
    EXPECT_EQ(caption, "Configuration for local");
    EXPECT_TRUE(authorized);
    EXPECT_EQ(script.unexpectedCount(), 0);
    EXPECT_EQ(app.GetFramework()->ModalDepth(), 1);
}

TEST_F(SheetStartupTest, AReadOnlyUserSeesItInTheCaption) {
    start({"localhost", "operator", "operator"}, {IDIGNORE});
    EXPECT_EQ(caption, "Configuration for localhost [Read Only]");
    EXPECT_FALSE(authorized);
}

TEST_F(SheetStartupTest, ARefusedLogonClosesTheSheet) {
    start({"localhost", "admin", "wrong"}, {IDNO});
    EXPECT_TRUE(closed);
    EXPECT_EQ(script.questions().back().caption, "Security");
}
