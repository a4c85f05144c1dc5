#pragma once
// The application and its sheet against the stand-in server in a fresh state directory
// (embedded, or its network service: support/TestServerHost.h), every question answered by
// the scripted prompter.

#include "app/TrellisApp.h"
#include "app/TrellisDlg.h"
#include "items/ConfigListCtrl.h"
#include "pages/SystemPage.h"
#include "platform/XmlDocument.h"
#include "review/ReviewChangesDlg.h"
#include "server/HostServices.h"
#include "server/embedded/EmbeddedServer.h"
#include "state/ConfigState.h"
#include "state/XPathAccess.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFrameworkSegment.h"
#include "support/TestServerHost.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

// The element the System page's time of day rows are bound to.
inline constexpr const char* kTimeOfDay = "./Config/System/TimeOfDay";

class SheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(host.failure(), "");
        script.install();
        useTestFrameworkSegment();
        installServiceFactory(&factory);
        server = EmbeddedServer::forDirectory(dir.path());
        server->setRestartDelay(0);
    }
    void TearDown() override { installServiceFactory(nullptr); }

    // Starts the utility; the body runs inside the sheet's modal run, after its start-up.
    // Answers are given to the questions the start-up asks.
    void run(const QStringList& arguments, std::function<void(CTrellisDlg&)> body,
             const std::vector<int>& startupAnswers = {}) {
        script.answerDialog([this, body](QDialog& dialog) {
            auto& sheet = static_cast<CTrellisDlg&>(dialog);
            sheet.SetCommitProgressSettings({10, 240});
            QCoreApplication::sendPostedEvents(&sheet);
            caption = sheet.windowTitle();
            if (sheet.result() == 0 && body)
                body(sheet);
            result = sheet.result();
            return result;
        });
        for (int answer : startupAnswers)
            script.answer(answer);
        app.InitInstance(arguments);
    }
    void runAsAdmin(std::function<void(CTrellisDlg&)> body) {
        run({hostName(), "admin", "trellis"}, body);
    }
    // The server's host as the utility is given it.
    QString hostName() const { return QString::fromStdString(host.host()); }

    // Answers the review that OK shows first, with Commit (IDOK) or Back; keeps its lines.
    void answerReview(int answer = IDOK) {
        script.answerDialog([this, answer](QDialog& dialog) {
            reviewLines.clear();
            if (auto* review = dynamic_cast<CReviewChangesDlg*>(&dialog)) {
                for (const QString& line : review->Lines())
                    reviewLines.push_back(line.toStdString());
                reviewLines.push_back(review->RestartLabel()->text().toStdString());
            }
            return answer;
        });
    }
    // Reads the notice after a commit.
    void answerOutcome() { script.answer(IDOK); }
    // Presses OK, commits from the review and reads the notice.
    void commitWithOk(CTrellisDlg& sheet) {
        answerReview();
        answerOutcome();
        sheet.OkButton()->click();
    }

    std::string committed() const {
        std::string text;
        EmbeddedServer(dir.path()).configuration(text);
        return text;
    }
    static std::string read(const std::string& xpath) {
        std::shared_ptr<XmlDocument> document;
        CConfigState().GetConfigDocument(document);
        std::string text;
        if (document)
            ReadXPathValue(document->documentNode(), xpath, text);
        return text;
    }
    static void write(const std::string& element, const char* attribute, const char* value) {
        CConfigState().PutAttributeValue(element, attribute, Variant(value), false, true);
    }
    // The System page's item with the label id.
    static CConfigItem* systemItem(CTrellisDlg& sheet, int labelId) {
        return sheet.SystemPage()->List()->FindItem(labelId);
    }
    // Commits a variation of the default configuration before the utility starts.
    void storeConfiguration(const std::function<void(XmlDocument&)>& change) {
        std::string text;
        server->configuration(text);
        XmlDocument document;
        document.loadXml(text);
        change(document);
        ASSERT_EQ(server->commit(ServerSession{"admin", "", true}, document.xml()), S_OK);
    }

    QByteArray serverLog() const {
        QFile file(server->files().path(QStringLiteral("server.log")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The sheet shown on its page of the class, or null when it has none.
    template <class Page> static Page* showPage(CTrellisDlg& sheet) {
        for (int i = 0; i < sheet.GetPageCount(); ++i) {
            if (auto* page = dynamic_cast<Page*>(sheet.GetPage(i))) {
                sheet.SetActivePage(page);
                sheet.show();
                QCoreApplication::processEvents();
                return page;
            }
        }
        return nullptr;
    }

    // The document the server stored equals the one before with the edits made to it.
    static void expectStoredAs(const std::string& before, const std::string& stored,
                               const std::function<void(const XmlNode& root)>& edit) {
        XmlDocument expected;
        ASSERT_EQ(expected.loadXml(before), S_OK);
        edit(expected.documentNode());
        XmlDocument actual;
        ASSERT_EQ(actual.loadXml(stored), S_OK);
        EXPECT_EQ(actual.xml(), expected.xml());
    }

    QTemporaryDir dir;
    QTemporaryDir files;
    TestServerHost host{dir.path()};
    HostServiceFactory factory{dir.path()};
    std::shared_ptr<EmbeddedServer> server;
    ScriptedPrompter script;
    CTrellisApp app;
    QString caption;
    int result = -1;
    // The lines of the last review answered: every row of its list, then its restart line.
    std::vector<std::string> reviewLines;
};
