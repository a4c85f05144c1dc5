// The network service lost while the administrator commits: the user is told, the sheet stays
// open with the edits, nothing is stored, and Save still writes the edited document.

#include "SheetFixture.h"

#include <QFile>
#include <QPushButton>

namespace {

class ConnectionLostSheetTest : public SheetTest {
protected:
    void SetUp() override {
        if (!host.service())
            GTEST_SKIP() << "the connection is lost over the network only: run with "
                            "TRELLIS_TEST_SERVER=service";
        SheetTest::SetUp();
    }

    // Edits a value and presses OK, answering the review with Commit after `beforeCommit`;
    // then saves the document the sheet still holds.
    void commitLosingTheService(const std::function<void()>& beforeOk,
                                const std::function<void()>& beforeCommit) {
        before = committed();
        const QString saved = files.filePath(QStringLiteral("kept.xml"));
        runAsAdmin([&](CTrellisDlg& sheet) {
            write(kTimeOfDay, "timeOfDaySource", "Ltc");
            beforeOk();
            script.answerDialog([&](QDialog&) {
                beforeCommit();
                return IDOK;
            });
            script.answer(IDOK); // the connection lost
            script.answer(IDOK); // the remote hosts not saved
            script.answer(IDOK); // nor the configuration committed
            sheet.OkButton()->click();
            asked = script.questions();
            EXPECT_EQ(sheet.result(), 0) << "the sheet closed";
            EXPECT_EQ(read(std::string(kTimeOfDay) + "/@timeOfDaySource"), "Ltc");

            script.answerFile(saved.toStdString());
            sheet.PressWizardButton(0);
            EXPECT_EQ(script.last().caption, "Save As");
        });
        QFile in(saved);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        XmlDocument file;
        ASSERT_EQ(file.loadBytes(in.readAll().toStdString()), S_OK);
        std::string source;
        ReadXPathValue(file.documentNode(), std::string(kTimeOfDay) + "/@timeOfDaySource", source);
        EXPECT_EQ(source, "Ltc");
        EXPECT_EQ(committed(), before);
    }

    // The questions from pressing OK on: the review, then what the user is told, once each.
    void expectTold() const {
        EXPECT_EQ(script.unexpectedCount(), 0);
        ASSERT_GE(asked.size(), 4u);
        EXPECT_EQ(asked[asked.size() - 4].kind, ScriptedPrompter::Kind::Dialog);
        const std::vector<ScriptedPrompter::Question> told(asked.end() - 3, asked.end());
        EXPECT_EQ(told[0].caption, "Connection Lost");
        EXPECT_EQ(told[0].text, "The connection to host server " + host.host() +
                                    " was lost: Connection refused.");
        // OK writes the remote hosts file first; its failure stops the commit there.
        EXPECT_EQ(told[1].caption, "Remote Hosts");
        EXPECT_EQ(told[1].text, "The remote hosts list could not be saved: Connection refused.\n"
                                "The file on the server is unchanged.");
        EXPECT_EQ(told[2].caption, "Saving Configuration Settings");
        EXPECT_EQ(told[2].text, "The configuration was not committed. Your changes are kept: "
                                "press OK to try again, or Save to keep them in a file.");
    }

    std::string before;
    std::vector<ScriptedPrompter::Question> asked;
};

} // namespace

TEST_F(ConnectionLostSheetTest, TheServiceKilledAsTheUserCommitsIsToldAndTheEditIsKept) {
    commitLosingTheService([] {}, [this] { host.kill(); });
    expectTold();
}

TEST_F(ConnectionLostSheetTest, TheServiceStoppedBeforeOkIsToldAndTheEditIsKept) {
    commitLosingTheService([this] { host.stop(); }, [] {});
    expectTold();
}
