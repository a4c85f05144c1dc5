#include "Terminal.h"

#include <termios.h>

#include <cstdlib>

Terminal::Terminal() : m_file(std::fopen("/dev/tty", "r+")) {}

Terminal::~Terminal() {
    if (m_file)
        std::fclose(m_file);
}

std::string Terminal::ask(const std::string& prompt, bool secret) {
    std::fputs(prompt.c_str(), m_file);
    std::fflush(m_file);
    termios saved{};
    const int fd = fileno(m_file);
    const bool hide = secret && tcgetattr(fd, &saved) == 0;
    if (hide) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    std::string line;
    for (int c = std::fgetc(m_file); c != EOF && c != '\n'; c = std::fgetc(m_file))
        line.push_back(static_cast<char>(c));
    if (hide) {
        tcsetattr(fd, TCSAFLUSH, &saved);
        std::fputs("\n", m_file);
    }
    return line;
}

int TerminalPrompter::messageBox(const std::string& text, const std::string& caption,
                                 std::uint32_t style, QObject*) {
    std::fprintf(stderr, "%s: %s: %s\n", m_program.c_str(), caption.c_str(), text.c_str());
    if (MessageBoxKind(style) != MB_TOUCH_QUESTION)
        return DeclinedResult(style);
    Terminal terminal;
    if (!terminal)
        return IDNO;
    const std::string answer = terminal.ask("yes or no? ", false);
    return answer == "yes" || answer == "y" ? IDYES : IDNO;
}

std::optional<std::string> AskPassword(const std::string& user) {
    if (const char* given = std::getenv("TRELLIS_PASSWORD"))
        return given;
    Terminal terminal;
    if (!terminal)
        return std::nullopt;
    return terminal.ask("password of " + user + ": ", true);
}
