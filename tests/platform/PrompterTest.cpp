#include "platform/LogonDialog.h"
#include "platform/Metrics.h"
#include "platform/ProgressDlg.h"
#include "platform/QtPrompter.h"
#include "platform/TouchEntryDialog.h"
#include "platform/TouchFileDlg.h"
#include "platform/TouchMessageBox.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedPrompter.h"
#include "support/Touch.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>

TEST(ScriptedPrompter, UnansweredQuestionsAreDeclinedAndFlagged) {
    ScriptedPrompter script;
    script.install();
    EXPECT_EQ(prompter().messageBox("Reboot?", "Restart", MB_TOUCH_QUESTION, nullptr), IDNO);
    EXPECT_EQ(prompter().messageBox("Rights", "Security", MB_TOUCH_ABORTRETRYIGNORE, nullptr),
              IDABORT);
    EXPECT_EQ(prompter().popupMenu({{1, "NTSC (59.94 Hz)", true}}, QPoint(), nullptr), 0);
    std::string text = "keep";
    EXPECT_EQ(prompter().keyboard(text, "Name", nullptr), IDCANCEL);
    EXPECT_EQ(text, "keep");
    EXPECT_EQ(script.unexpectedCount(), 4);
}

TEST(ScriptedPrompter, UninstallsItself) {
    {
        ScriptedPrompter script;
        script.install();
    }
    // The default prompter declines without showing anything.
    EXPECT_EQ(prompter().messageBox("x", "y", MB_TOUCH_QUESTION, nullptr), IDNO);
}

namespace {

// Runs the action on the modal widget once it is showing.
void whenModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal)
            action(modal);
        else
            whenModal(action);
    });
}

} // namespace

TEST(QtPrompter, MessageBoxShowsAllItsTextAndReturnsTheButtonPressed) {
    QtPrompter qt;
    static const char* const kRights =
        "Your account does not authorize you to change configuration settings.\n\nYou may "
        "press Ignore to open a read-only version of the configuration, press Retry to log in "
        "again, or press Abort to quit.";
    whenModal([](QWidget* widget) {
        auto* box = qobject_cast<CTouchMessageBox*>(widget);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->Text(), kRights);
        EXPECT_EQ(box->windowTitle(), "Security");
        // The whole text shows, wrapped, however long it is.
        const auto* message = box->findChild<QLabel*>("Text");
        ASSERT_NE(message, nullptr);
        EXPECT_GE(message->height(), message->heightForWidth(message->width()));
        QStringList labels;
        for (QPushButton* button : box->Buttons()) {
            labels << button->text();
            EXPECT_GE(button->minimumHeight(), 40);
        }
        EXPECT_EQ(labels, (QStringList{"Abort", "Retry", "Ignore"}));
        box->Buttons()[1]->click();
    });
    EXPECT_EQ(qt.messageBox(kRights, "Security", MB_TOUCH_ABORTRETRYIGNORE, nullptr), IDRETRY);
}

TEST(QtPrompter, EnterGivesTheDefaultAnswerAndEscapeTheDeclinedOne) {
    QtPrompter qt;
    const auto press = [](Qt::Key key) {
        return [key](QWidget* box) {
            QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(box, &event);
        };
    };
    whenModal(press(Qt::Key_Return));
    EXPECT_EQ(qt.messageBox("Reboot the system?", "Reference Standard", MB_TOUCH_QUESTION, nullptr),
              IDYES);
    whenModal(press(Qt::Key_Return));
    EXPECT_EQ(qt.messageBox("Reboot the system?", "Reference Standard",
                            MB_TOUCH_QUESTION | MB_DEFBUTTON2, nullptr),
              IDNO);
    // Nobody answers a box that is closed: the safe answer, whatever the default.
    whenModal(press(Qt::Key_Escape));
    EXPECT_EQ(qt.messageBox("Log on failed.", "Security", MB_TOUCH_ABORTRETRYIGNORE, nullptr),
              IDABORT);
    EXPECT_EQ(DeclinedResult(MB_TOUCH_QUESTION | MB_DEFBUTTON2), IDNO);
}

TEST(QtPrompter, KeyboardTakesTypedAndTouchedKeys) {
    QtPrompter qt;
    whenModal([](QWidget* widget) {
        auto* dialog = qobject_cast<TouchEntryDialog*>(widget);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Trigger name:");
        // A touch screen shows no window frame, so the title stands in the dialog as well,
        // and the keyboard fits an 800 pixel wide screen.
        auto* title = dialog->findChild<QLabel*>("Caption");
        ASSERT_NE(title, nullptr);
        EXPECT_EQ(title->text(), "Trigger name:");
        EXPECT_LE(dialog->sizeHint().width(), 800);
        auto* edit = dialog->findChild<QLineEdit*>();
        edit->setText("GPI-In");
        for (QPushButton* key : dialog->findChildren<QPushButton*>()) {
            EXPECT_GE(key->minimumHeight(), TouchTargetHeight());
            if (key->text() == "7")
                key->click();
        }
        dialog->accept();
    });
    std::string text = "GPI-Out-1";
    EXPECT_EQ(qt.keyboard(text, "Trigger name:", nullptr), IDOK);
    EXPECT_EQ(text, "GPI-In7");
}

TEST(QtPrompter, SecretKeyboardMasksTheTextItStartsWithAndTheTypedKeys) {
    QtPrompter qt;
    whenModal([](QWidget* widget) {
        auto* dialog = qobject_cast<TouchEntryDialog*>(widget);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Password:");
        auto* edit = dialog->findChild<QLineEdit*>();
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
        EXPECT_FALSE(edit->displayText().contains("old"));
        for (QPushButton* key : dialog->findChildren<QPushButton*>())
            if (key->text() == "9")
                key->click();
        EXPECT_FALSE(edit->displayText().contains("9"));
        dialog->accept();
    });
    std::string text = "old";
    EXPECT_EQ(qt.secretKeyboard(text, "Password:", nullptr), IDOK);
    // The keyboard starts with all of the old text chosen, so the key replaces it.
    EXPECT_EQ(text, "9");
}

// The key showing the label, on the keyboard's layer now shown; null when none does.
static QPushButton* shownKey(const QWidget& keyboard, const QString& label) {
    for (QPushButton* key : keyboard.findChildren<QPushButton*>())
        if (key->isVisible() && key->text() == label)
            return key;
    return nullptr;
}

TEST(TouchEntryDialog, EveryPrintableCharacterCanBeTypedByTouchAlone) {
    TouchEntryDialog keyboard(TouchEntryDialog::Layout::Keyboard, "Name", "");
    keyboard.show();
    QString expected;
    for (char c = 0x20; c <= 0x7E; ++c) {
        expected += QChar(c);
        // What the key shows: "&" is doubled on a button so that it is not a shortcut mark.
        const QString label = c == ' ' ? "Space" : c == '&' ? "&&" : QString(QChar(c));
        // Shift and the layer key in turn reach each of the four key sets.
        QPushButton* key = shownKey(keyboard, label);
        for (int turn = 0; !key && turn < 4; ++turn) {
            QPushButton* change =
                turn % 2 == 0 ? shownKey(keyboard, "Shift") : shownKey(keyboard, "Symbols");
            if (!change)
                change = shownKey(keyboard, "Letters");
            ASSERT_NE(change, nullptr);
            EXPECT_GE(change->width(), 40) << "too narrow for a finger";
            change->click();
            key = shownKey(keyboard, label);
        }
        ASSERT_NE(key, nullptr) << "no key types " << c;
        EXPECT_GE(key->width(), 40) << c;
        key->click();
    }
    EXPECT_EQ(keyboard.text(), expected);
}

TEST(LogonDialog, TouchedFieldsOpenTheKeyboardAndTypingStillWorks) {
    ScriptedPrompter script;
    script.install();
    LogonDialog dialog("Log On to Configuration");
    auto* user = dialog.findChild<QLineEdit*>("UserName");
    auto* password = dialog.findChild<QLineEdit*>("Password");
    auto* domain = dialog.findChild<QLineEdit*>("Domain");
    ASSERT_TRUE(user && password && domain);

    script.answerText(IDOK, "admin");
    touch(user);
    ASSERT_EQ(script.questions().size(), 1u) << "the touch opened no keyboard";
    EXPECT_EQ(script.last().kind, ScriptedPrompter::Kind::Keyboard);
    EXPECT_EQ(script.last().caption, "Enter User Name");
    script.answerText(IDOK, "tr3llis&");
    touch(password);
    ASSERT_EQ(script.questions().size(), 2u);
    EXPECT_EQ(script.last().kind, ScriptedPrompter::Kind::SecretKeyboard);
    EXPECT_EQ(script.last().caption, "Enter Password");
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    // A physical keyboard types into the fields as well.
    QKeyEvent key(QEvent::KeyPress, Qt::Key_S, Qt::NoModifier, "s");
    QApplication::sendEvent(domain, &key);

    EXPECT_EQ(dialog.userName(), "admin");
    EXPECT_TRUE(dialog.password() == "tr3llis&"); // compared without printing it
    EXPECT_EQ(dialog.domain(), "s");
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST(QtPrompter, CancelledKeypadKeepsTheText) {
    QtPrompter qt;
    whenModal([](QWidget* widget) { static_cast<QDialog*>(widget)->reject(); });
    std::string text = "00:00:00:00";
    EXPECT_EQ(qt.keypad(text, "Timecode", nullptr, 1, 0), IDCANCEL);
    EXPECT_EQ(text, "00:00:00:00");
}

TEST(QtPrompter, FileDialogIsTheTouchChooser) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const ScopedEnv homeVariable("HOME", home.path().toUtf8());
    const ScopedEnv data("XDG_DATA_HOME", std::nullopt);
    const QString folder = home.path() + "/.local/share/trellis/configurations";
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile(folder + "/studio.xml").open(QIODevice::WriteOnly));

    QtPrompter qt;
    whenModal([](QWidget* widget) {
        auto* dialog = qobject_cast<CTouchFileDlg*>(widget);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Open");
        EXPECT_EQ(dialog->List()->count(), 2); // up, and the file
        dialog->NameEdit()->setText("studio.xml");
        dialog->accept();
    });
    const FileAnswer opened =
        qt.fileDialog(FileDialogKind::Open, "Open", "XML file (*.xml)", nullptr);
    EXPECT_EQ(opened.result, IDOK);
    EXPECT_EQ(opened.fileName, (folder + "/studio.xml").toStdString());
}

TEST(Metrics, RowsAndButtonsAreFingerSized) {
    EXPECT_GE(TouchTargetHeight(), 44);
    EXPECT_GE(FrmwkGetMetrics(METRIC_SCROLL_BUTTON_WIDTH), 44);
    EXPECT_EQ(FrmwkGetMetrics(12345), 0);
    EXPECT_NE(FrmwkGetColor(COLOR_BACKGROUND), FrmwkGetColor(COLOR_TEXT));
    EXPECT_TRUE(FrmwkGetFont(FONT_HEADING).bold());
}

TEST(ScriptedPrompter, ADialogMayAskQuestionsOfItsOwn) {
    ScriptedPrompter script;
    script.install();
    std::string seen;
    script.answerDialog([&seen](QDialog&) {
        const int inner = prompter().messageBox("Discard configuration changes?", "Discard Changes",
                                                MB_TOUCH_QUESTION, nullptr);
        seen = inner == IDYES ? "yes" : "no";
        return IDCANCEL;
    });
    script.answer(IDYES);
    QDialog dialog;
    EXPECT_EQ(prompter().runDialog(dialog), IDCANCEL);
    EXPECT_EQ(seen, "yes");
    EXPECT_EQ(script.questions().size(), 2u);
}

TEST(QtPrompter, LogonDialogKeepsTheUserNameItIsGivenAndHidesThePassword) {
    QtPrompter qt;
    whenModal([](QWidget* widget) {
        const auto edits = widget->findChildren<QLineEdit*>();
        ASSERT_EQ(edits.size(), 3);
        EXPECT_EQ(edits[0]->text(), "adm");
        EXPECT_TRUE(edits[1]->text().isEmpty());
        EXPECT_EQ(edits[1]->echoMode(), QLineEdit::Password);
        for (QLineEdit* edit : edits)
            EXPECT_GE(edit->minimumHeight(), TouchTargetHeight());
        edits[0]->setText("admin");
        edits[1]->setText("trellis");
        static_cast<QDialog*>(widget)->accept();
    });
    const LogonAnswer answer = qt.logon("Log On to Configuration", "adm", nullptr);
    EXPECT_EQ(answer.result, IDOK);
    EXPECT_EQ(answer.userName, "admin");
    EXPECT_EQ(answer.domain, "");
}

TEST(ProgressDlg, OnlyClosesWhenTold) {
    CProgressDlg progress("Please wait......", "Saving Configuration Settings");
    progress.show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&progress, &escape);
    EXPECT_TRUE(progress.isVisible());
    // As the progress thread does: from another thread, taken up on the dialog's own.
    std::thread([&progress] {
        progress.SetPos(35);
        progress.Close();
    }).join();
    QElapsedTimer waited;
    waited.start();
    while (progress.isVisible() && waited.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(progress.Position(), 35);
    EXPECT_FALSE(progress.isVisible());
    EXPECT_EQ(progress.result(), IDOK);
}
