#include "ScriptedPrompter.h"

#include <QDialog>

#include <algorithm>
#include <functional>

ScriptedPrompter::ScriptedPrompter() = default;

ScriptedPrompter::~ScriptedPrompter() {
    if (m_installed)
        installPrompter(nullptr);
}

void ScriptedPrompter::install() {
    installPrompter(this);
    m_installed = true;
}

void ScriptedPrompter::answer(int result) {
    answer(Answer{result, {}, {}, {}});
}

void ScriptedPrompter::answerText(int result, std::string text) {
    answer(Answer{result, std::move(text), {}, {}});
}

void ScriptedPrompter::answerLogon(std::string userName, std::string password, std::string domain) {
    answer(
        Answer{IDOK, {}, {IDOK, std::move(userName), std::move(password), std::move(domain)}, {}});
}

void ScriptedPrompter::answerFile(std::string fileName) {
    answer(Answer{IDOK, std::move(fileName), {}, {}});
}

void ScriptedPrompter::answerDialog(std::function<int(QDialog&)> operate) {
    answer(Answer{IDOK, {}, {}, std::move(operate)});
}

void ScriptedPrompter::answer(Answer answer) {
    m_answers.push_back(std::move(answer));
}

int ScriptedPrompter::unexpectedCount() const {
    return static_cast<int>(std::count_if(m_questions.begin(), m_questions.end(),
                                          [](const Question& q) { return q.unexpected; }));
}

void ScriptedPrompter::clear() {
    m_questions.clear();
    m_answers.clear();
}

const ScriptedPrompter::Answer* ScriptedPrompter::take(Question question) {
    question.unexpected = m_answers.empty();
    m_questions.push_back(std::move(question));
    if (m_answers.empty())
        return nullptr;
    m_current = std::move(m_answers.front());
    m_answers.pop_front();
    return &m_current;
}

int ScriptedPrompter::messageBox(const std::string& text, const std::string& caption,
                                 std::uint32_t style, QObject*) {
    Question q;
    q.kind = Kind::MessageBox;
    q.text = text;
    q.caption = caption;
    q.style = style;
    if (const Answer* a = take(std::move(q)))
        return a->result;
    return DeclinedResult(style);
}

int ScriptedPrompter::popupMenu(const std::vector<MenuEntry>& entries, QPoint screenPos, QObject*) {
    Question q;
    q.kind = Kind::PopupMenu;
    q.entries = entries;
    q.position = screenPos;
    const Answer* a = take(std::move(q));
    return a ? a->result : 0;
}

int ScriptedPrompter::keyboard(std::string& text, const std::string& title, QObject*) {
    return textEntry(Kind::Keyboard, text, title);
}

int ScriptedPrompter::secretKeyboard(std::string& text, const std::string& title, QObject*) {
    // The secret is not recorded: the question shows no text.
    std::string shown;
    const int result = textEntry(Kind::SecretKeyboard, shown, title);
    if (result == IDOK)
        text = shown;
    return result;
}

int ScriptedPrompter::keypad(std::string& text, const std::string& title, QObject*, int, int) {
    return textEntry(Kind::Keypad, text, title);
}

int ScriptedPrompter::textEntry(Kind kind, std::string& text, const std::string& title) {
    Question q;
    q.kind = kind;
    q.text = text;
    q.caption = title;
    const Answer* a = take(std::move(q));
    if (!a)
        return IDCANCEL;
    if (a->result == IDOK)
        text = a->text;
    return a->result;
}

LogonAnswer ScriptedPrompter::logon(const std::string& caption, const std::string& userName,
                                    QObject*) {
    Question q;
    q.kind = Kind::Logon;
    q.caption = caption;
    q.text = userName;
    const Answer* a = take(std::move(q));
    if (!a)
        return {};
    LogonAnswer result = a->logon;
    if (a->result != IDOK)
        result.result = a->result;
    return result;
}

FileAnswer ScriptedPrompter::fileDialog(FileDialogKind kind, const std::string& title,
                                        const std::string& filter, QObject*) {
    Question q;
    q.kind = Kind::FileDialog;
    q.caption = title;
    q.fileKind = kind;
    q.filter = filter;
    const Answer* a = take(std::move(q));
    if (!a)
        return {};
    return FileAnswer{a->result, a->result == IDOK ? a->text : std::string()};
}

int ScriptedPrompter::runDialog(QDialog& dialog) {
    Question q;
    q.kind = Kind::Dialog;
    q.caption = dialog.windowTitle().toStdString();
    const Answer* a = take(std::move(q));
    if (!a)
        return IDCANCEL;
    // The dialog may ask questions of its own, which replace the current answer: keep
    // what runs it.
    const std::function<int(QDialog&)> operate = a->operate;
    const int result = a->result;
    return operate ? operate(dialog) : result;
}
