#pragma once
// A prompter for tests: records every question exactly as a user would see it and
// answers from a queue. A question with no queued answer is recorded as unexpected and
// declined, so a test can tell a missing answer from a wrong one.

#include "platform/Prompter.h"

#include <QPoint>

#include <deque>
#include <functional>
#include <string>
#include <vector>

class ScriptedPrompter : public Prompter {
public:
    enum class Kind {
        MessageBox,
        PopupMenu,
        Keyboard,
        SecretKeyboard,
        Keypad,
        Logon,
        FileDialog,
        Dialog
    };

    // What was asked. Passwords are never part of a question.
    struct Question {
        Kind kind = Kind::MessageBox;
        std::string text;    // message text, the initial text of keyboard and keypad (never of
                             // the secret keyboard), or the user name the logon dialog starts
                             // with
        std::string caption; // message caption, dialog title or window title
        std::uint32_t style = 0;
        std::vector<MenuEntry> entries;
        QPoint position; // where a popup menu opens, on the screen
        FileDialogKind fileKind = FileDialogKind::Open;
        std::string filter;
        bool unexpected = false;
    };

    // How to answer the next question.
    struct Answer {
        int result = IDOK;
        std::string text;                     // keyboard or keypad text, file name
        LogonAnswer logon;                    // for the logon dialog
        std::function<int(QDialog&)> operate; // for the program's own dialogs
    };

    ScriptedPrompter();
    ~ScriptedPrompter() override;

    // Installs this prompter for its lifetime.
    void install();

    // Queue answers, in the order the questions will come.
    void answer(int result);
    void answerText(int result, std::string text);
    void answerLogon(std::string userName, std::string password, std::string domain = {});
    void answerFile(std::string fileName);
    void answerDialog(std::function<int(QDialog&)> operate);
    void answer(Answer answer);

    const std::vector<Question>& questions() const { return m_questions; }
    const Question& last() const { return m_questions.back(); }
    std::size_t pending() const { return m_answers.size(); }
    int unexpectedCount() const;
    void clear();

    int messageBox(const std::string& text, const std::string& caption, std::uint32_t style,
                   QObject* owner) override;
    int popupMenu(const std::vector<MenuEntry>& entries, QPoint screenPos, QObject* owner) override;
    int keyboard(std::string& text, const std::string& title, QObject* owner) override;
    int secretKeyboard(std::string& text, const std::string& title, QObject* owner) override;
    int keypad(std::string& text, const std::string& title, QObject* owner, int option1,
               int option2) override;
    LogonAnswer logon(const std::string& caption, const std::string& userName,
                      QObject* owner) override;
    FileAnswer fileDialog(FileDialogKind kind, const std::string& title, const std::string& filter,
                          QObject* owner) override;
    int runDialog(QDialog& dialog) override;

private:
    // Records the question and hands back its answer, or null when none was queued.
    const Answer* take(Question question);
    int textEntry(Kind kind, std::string& text, const std::string& title);

    std::vector<Question> m_questions;
    std::deque<Answer> m_answers;
    Answer m_current;
    bool m_installed = false;
};
