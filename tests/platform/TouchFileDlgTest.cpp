#include "platform/TouchFileDlg.h"
#include "platform/Metrics.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedPrompter.h"
#include "support/Touch.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

// HOME and the data folder lie in a temporary folder: the user's own files are never touched.
class TouchFileDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_root.isValid());
        script.install();
    }

    QString path(const QString& relative) const { return m_root.path() + '/' + relative; }
    void make(const QStringList& folders, const QStringList& files) const {
        for (const QString& folder : folders)
            ASSERT_TRUE(QDir().mkpath(path(folder)));
        for (const QString& name : files) {
            QFile file(path(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("<kept/>");
        }
    }

    // A shown dialog on the folder, as the user sees it.
    std::unique_ptr<CTouchFileDlg> open(FileDialogKind kind, const QString& folder,
                                        const QString& filter = "XML file (*.xml)") {
        auto dialog = std::make_unique<CTouchFileDlg>(
            kind, kind == FileDialogKind::Save ? "Save As" : "Open", filter);
        dialog->SetFolder(folder);
        dialog->show();
        return dialog;
    }
    static QStringList rows(const CTouchFileDlg& dialog) {
        QStringList texts;
        for (int i = 0; i < dialog.List()->count(); ++i)
            texts.append(dialog.List()->item(i)->text());
        return texts;
    }
    static void touchRow(CTouchFileDlg& dialog, const QString& text) {
        const auto found = dialog.List()->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        touch(dialog.List()->viewport(),
              QRectF(dialog.List()->visualItemRect(found.first())).center());
    }
    static void pressOk(CTouchFileDlg& dialog) {
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            if (button->text() == "OK")
                return button->click();
        FAIL() << "no OK button";
    }
    // OK on a refused name: the one warning, and the dialog stays open with no answer.
    void expectRefused(CTouchFileDlg& dialog, const std::string& message) {
        script.clear();
        script.answer(IDOK);
        pressOk(dialog);
        ASSERT_EQ(script.questions().size(), 1u);
        EXPECT_EQ(script.last().text, message);
        EXPECT_EQ(script.last().caption, dialog.windowTitle().toStdString());
        EXPECT_EQ(script.last().style, MB_TOUCH_WARNING);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(dialog.FilePath().isEmpty());
    }

    QTemporaryDir m_root;
    ScopedEnv m_home{"HOME", m_root.path().toUtf8()};
    ScopedEnv m_data{"XDG_DATA_HOME", std::nullopt};
    ScopedEnv m_workstation{"TRELLIS_WORKSTATION", std::nullopt};
    ScriptedPrompter script;
};

TEST_F(TouchFileDlgTest, OpensInTheConfigurationsFolderMadeOnFirstUse) {
    const QString expected = path(".local/share/trellis/configurations");
    ASSERT_FALSE(QDir(expected).exists());
    CTouchFileDlg dialog(FileDialogKind::Save, "Save As", "XML file (*.xml)");
    dialog.show();
    EXPECT_TRUE(QDir(expected).exists());
    EXPECT_EQ(dialog.Folder(), expected);
    // The whole path, or as much of its end as the line holds.
    const QString shown = dialog.FolderLabel()->text();
    EXPECT_TRUE(shown.endsWith("/trellis/configurations")) << shown.toStdString();
    EXPECT_TRUE(expected.endsWith(QString(shown).remove(QChar(0x2026)))) << shown.toStdString();
    EXPECT_TRUE(dialog.Notice()->isHidden());
    EXPECT_EQ(rows(dialog), QStringList{"Up one folder"});

    const ScopedEnv data("XDG_DATA_HOME", path("data").toUtf8());
    EXPECT_EQ(CTouchFileDlg(FileDialogKind::Open, "Open", "").Folder(),
              path("data/trellis/configurations"));
    EXPECT_TRUE(QDir(path("data/trellis/configurations")).exists());
}

TEST_F(TouchFileDlgTest, SaysWhatWentWrongWithAFolder) {
    // A file where the program's data folder should be: no folder can be made below it.
    make({"data"}, {"data/trellis"});
    const ScopedEnv data("XDG_DATA_HOME", path("data").toUtf8());
    CTouchFileDlg dialog(FileDialogKind::Save, "Save As", "XML file (*.xml)");
    dialog.show();
    EXPECT_EQ(dialog.Folder(), m_root.path());
    EXPECT_TRUE(dialog.Notice()->isVisible());
    EXPECT_EQ(dialog.Notice()->text(), "The configurations folder " +
                                           path("data/trellis/configurations") +
                                           " could not be made; showing the home folder instead.");
    EXPECT_TRUE(QFileInfo(path("data/trellis")).isFile());

    // A folder that is gone can still be left.
    dialog.SetFolder(path("data/removed"));
    EXPECT_EQ(dialog.Notice()->text(), "The folder " + path("data/removed") + " cannot be read.");
    EXPECT_EQ(rows(dialog), QStringList{"Up one folder"});
    touchRow(dialog, "Up one folder");
    EXPECT_EQ(dialog.Folder(), path("data"));
    EXPECT_TRUE(dialog.Notice()->isHidden());
}

TEST_F(TouchFileDlgTest, ListsTheSubfoldersAndTheFilesTheFilterMatchesByName) {
    make({"in/beta", "in/Alpha", "in/d.xml", "in/.hidden"},
         {"in/b.xml", "in/A.xml", "in/c.XML", "in/notes.txt", "in/xml", "in/.secret.xml",
          "in/beta/inner.xml"});
    auto dialog = open(FileDialogKind::Open, path("in"));
    EXPECT_EQ(dialog->FolderLabel()->text(), path("in"));
    EXPECT_EQ(rows(*dialog), (QStringList{"Up one folder", "Alpha/", "beta/", "d.xml/", "A.xml",
                                          "b.xml", "c.XML"}));
    // The patterns come from the filter's text, whatever it names.
    auto notes = open(FileDialogKind::Open, path("in"), "Notes (*.txt *.text)");
    EXPECT_EQ(rows(*notes),
              (QStringList{"Up one folder", "Alpha/", "beta/", "d.xml/", "notes.txt"}));
}

TEST_F(TouchFileDlgTest, IsSizedForTheScreenWithFingerSizedRowsAndAWideScrollBar) {
    QStringList files;
    for (int i = 0; i < 30; ++i)
        files << QString("many/config%1.xml").arg(i, 2, 10, QChar('0'));
    make({"many/sub"}, files);
    auto dialog = open(FileDialogKind::Save, path("many"));
    EXPECT_EQ(dialog->size(), QSize(528, 345));
    EXPECT_EQ(dialog->findChild<QLabel*>("Caption")->text(), "Save As");
    QListWidget* list = dialog->List();
    ASSERT_EQ(list->count(), 32);
    for (int i = 0; i < list->count(); ++i)
        EXPECT_GE(list->visualItemRect(list->item(i)).height(), TouchTargetHeight()) << i;
    EXPECT_TRUE(list->verticalScrollBar()->isVisible());
    EXPECT_GE(list->verticalScrollBar()->width(), FrmwkGetMetrics(METRIC_ROW_HEIGHT));
    list->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(list->indexAt(QPoint(1, 1)).row(), 1);

    // A path too long for its line is cut at its start and does not widen the dialog.
    const QString deep = "a folder with a name long enough to fill a good part of the line/"
                         "and another one inside it, just as long as the first one/last";
    make({deep}, {});
    const ScopedEnv workstation("TRELLIS_WORKSTATION", "1");
    auto small = open(FileDialogKind::Open, path(deep));
    EXPECT_EQ(small->size(), QSize(480, 305));
    const QString shown = small->FolderLabel()->text();
    EXPECT_TRUE(shown.startsWith(QChar(0x2026)) && shown.endsWith("/last")) << shown.toStdString();
    EXPECT_TRUE(path(deep).endsWith(shown.mid(1))) << shown.toStdString();
}

TEST_F(TouchFileDlgTest, ATouchOnAFileChoosesItsNameAndOnAFolderGoesIn) {
    make({"outer/inner"}, {"outer/studio.xml", "outer/news.xml", "outer/inner/deep.xml"});
    auto dialog = open(FileDialogKind::Save, path("outer"));
    touchRow(*dialog, "studio.xml");
    EXPECT_EQ(dialog->NameEdit()->text(), "studio.xml");
    touchRow(*dialog, "news.xml");
    EXPECT_EQ(dialog->NameEdit()->text(), "news.xml");

    touchRow(*dialog, "inner/");
    EXPECT_EQ(dialog->Folder(), path("outer/inner"));
    EXPECT_EQ(dialog->FolderLabel()->text(), path("outer/inner"));
    EXPECT_EQ(rows(*dialog), (QStringList{"Up one folder", "deep.xml"}));
    touchRow(*dialog, "Up one folder");
    EXPECT_EQ(dialog->Folder(), path("outer"));
    EXPECT_EQ(script.questions().size(), 0u);
    // The top of the file system has nothing above it.
    dialog->SetFolder("/");
    EXPECT_FALSE(rows(*dialog).contains("Up one folder"));
}

TEST_F(TouchFileDlgTest, SaveRefusesAMissingOrBadNameAndStaysOpen) {
    make({"taken.xml"}, {});
    auto dialog = open(FileDialogKind::Save, m_root.path());
    expectRefused(*dialog, "Enter a name for the file.");
    for (const char* name : {".", "..", "sub/studio", "../studio", "c:\\studio"}) {
        SCOPED_TRACE(name);
        enterText(script, dialog->NameEdit(), name);
        expectRefused(*dialog, "\"" + std::string(name) +
                                   "\" is not a file name. A file name is not \".\" or \"..\" "
                                   "and holds no \"/\" or \"\\\".");
    }
    // 252 letters and the extension make 256 bytes, one more than a file name may have.
    const std::string longName(252, 'a');
    enterText(script, dialog->NameEdit(), longName);
    expectRefused(*dialog, "\"" + longName + ".xml\" is too long for a file name.");
    enterText(script, dialog->NameEdit(), "taken");
    expectRefused(*dialog, "\"taken.xml\" is a folder. Enter another name.");
}

TEST_F(TouchFileDlgTest, SaveAsksBeforeReplacingAFileAndAnswersTheFullPath) {
    make({}, {"studio.xml"});
    auto dialog = open(FileDialogKind::Save, m_root.path());
    // Typed without the extension; the question is about the file it will be saved as.
    enterText(script, dialog->NameEdit(), "studio");
    script.answer(IDNO);
    pressOk(*dialog);
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().text, "\"studio.xml\" already exists.\nDo you want to replace it?");
    EXPECT_EQ(script.last().caption, "Save As");
    EXPECT_EQ(script.last().style, MB_TOUCH_QUESTION | MB_DEFBUTTON2);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->FilePath().isEmpty());
    script.clear();
    script.answer(IDYES);
    pressOk(*dialog);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->FilePath(), path("studio.xml"));

    // A new file: no question, and the name is kept as typed, without the spaces around it.
    auto fresh = open(FileDialogKind::Save, m_root.path());
    enterText(script, fresh->NameEdit(), "  evening news.XML ");
    pressOk(*fresh);
    EXPECT_EQ(script.questions().size(), 0u);
    EXPECT_EQ(fresh->result(), QDialog::Accepted);
    EXPECT_EQ(fresh->FilePath(), path("evening news.XML"));
    // Choosing is not saving.
    EXPECT_FALSE(QFile::exists(path("evening news.XML")));
}

TEST_F(TouchFileDlgTest, OpenNeedsAnExistingFile) {
    make({"folder.xml"}, {"studio.xml"});
    auto dialog = open(FileDialogKind::Open, m_root.path());
    expectRefused(*dialog, "Choose a file to open.");
    for (const char* name : {"missing", "folder"}) {
        enterText(script, dialog->NameEdit(), name);
        expectRefused(*dialog, "There is no file \"" + std::string(name) + ".xml\" in " +
                                   m_root.path().toStdString() + ".");
    }
    script.clear();
    touchRow(*dialog, "studio.xml");
    pressOk(*dialog);
    EXPECT_EQ(script.questions().size(), 0u);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->FilePath(), path("studio.xml"));
}

} // namespace
