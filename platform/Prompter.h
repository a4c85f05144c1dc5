#pragma once
// The one door for every modal question: message boxes, popup menus, the keyboard and
// keypad, the logon and file dialogs and the program's own modal dialogs. The program
// installs the Qt prompter; tests install a scripted one that records each question.

#include <QPoint>

#include <cstdint>
#include <string>
#include <vector>

class QObject;
class QDialog;

// Standard dialog results.
enum DialogResult : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDABORT = 3,
    IDRETRY = 4,
    IDIGNORE = 5,
    IDYES = 6,
    IDNO = 7,
};

// Message box styles: icon and buttons.
enum MessageBoxStyle : std::uint32_t {
    MB_TOUCH_ERROR = 0x110000,            // error, OK
    MB_TOUCH_WARNING = 0x210000,          // warning, OK
    MB_TOUCH_QUESTION = 0x240000,         // question, Yes/No
    MB_TOUCH_ABORTRETRYIGNORE = 0x280000, // warning, Abort/Retry/Ignore
    MB_TOUCH_INFORMATION = 0x410000,      // information, OK
};

// Added to a style: the second button (No of Yes/No) is the default answer, the one Enter
// gives.
constexpr std::uint32_t MB_DEFBUTTON2 = 0x100;

// The kind of box a style asks for, without its default-button choice.
constexpr std::uint32_t MessageBoxKind(std::uint32_t style) {
    return style & ~MB_DEFBUTTON2;
}

// One popup menu entry; an entry with id 0 and no text is a separator.
struct MenuEntry {
    int id = 0;
    std::string text;
    bool checked = false;
    bool enabled = true;
    bool isSeparator() const { return id == 0 && text.empty(); }
};

struct LogonAnswer {
    int result = IDCANCEL;
    std::string userName;
    std::string password;
    std::string domain;
};

enum class FileDialogKind { Open, Save };

struct FileAnswer {
    int result = IDCANCEL;
    std::string fileName;
};

class Prompter {
public:
    virtual ~Prompter() = default;

    // A touch message box; returns the IDOK..IDNO result of the button pressed.
    virtual int messageBox(const std::string& text, const std::string& caption, std::uint32_t style,
                           QObject* owner) = 0;

    // A popup menu at a screen position; returns the chosen entry's id, or 0.
    virtual int popupMenu(const std::vector<MenuEntry>& entries, QPoint screenPos,
                          QObject* owner) = 0;

    // Text entry on the on-screen keyboard; text is the initial text and, on IDOK, the
    // entered one.
    virtual int keyboard(std::string& text, const std::string& title, QObject* owner) = 0;

    // Text entry on the on-screen keyboard for a secret such as a password: the entered text
    // is never shown in clear.
    virtual int secretKeyboard(std::string& text, const std::string& title, QObject* owner) = 0;

    // Number entry on the on-screen keypad, with its two options.
    virtual int keypad(std::string& text, const std::string& title, QObject* owner, int option1,
                       int option2) = 0;

    // The logon dialog: user name, password (never shown) and domain, or a cancel. The user
    // name field starts with the given name.
    virtual LogonAnswer logon(const std::string& caption, const std::string& userName,
                              QObject* owner) = 0;

    // The file open or save dialog with one filter entry such as "XML file (*.xml)".
    virtual FileAnswer fileDialog(FileDialogKind kind, const std::string& title,
                                  const std::string& filter, QObject* owner) = 0;

    // Runs one of the program's own modal dialogs and returns its result.
    virtual int runDialog(QDialog& dialog) = 0;
};

// The answer of a message box that nobody answered: No, Abort or OK.
int DeclinedResult(std::uint32_t style);

// Declines every question: nothing is asked of a user who cannot see it. The default until
// the application installs its prompter, and the base of prompters that answer only some
// questions.
class DecliningPrompter : public Prompter {
public:
    int messageBox(const std::string&, const std::string&, std::uint32_t style, QObject*) override {
        return DeclinedResult(style);
    }
    int popupMenu(const std::vector<MenuEntry>&, QPoint, QObject*) override { return 0; }
    int keyboard(std::string&, const std::string&, QObject*) override { return IDCANCEL; }
    int secretKeyboard(std::string&, const std::string&, QObject*) override { return IDCANCEL; }
    int keypad(std::string&, const std::string&, QObject*, int, int) override { return IDCANCEL; }
    LogonAnswer logon(const std::string&, const std::string&, QObject*) override { return {}; }
    FileAnswer fileDialog(FileDialogKind, const std::string&, const std::string&,
                          QObject*) override {
        return {};
    }
    int runDialog(QDialog&) override { return IDCANCEL; }
};

// The installed prompter. Installing null restores the default one, which the
// application replaces with the Qt prompter at start-up.
Prompter& prompter();
void installPrompter(Prompter* prompter);
