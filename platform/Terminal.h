#pragma once
// The controlling terminal of a command-line program, for its questions and a password; none
// when the program runs without one (from a script or a service).

#include "Prompter.h"

#include <cstdio>
#include <optional>
#include <string>

class Terminal {
public:
    Terminal();
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;
    explicit operator bool() const { return m_file != nullptr; }

    // One line typed after the prompt; without echo for a secret.
    std::string ask(const std::string& prompt, bool secret);

private:
    std::FILE* m_file;
};

// The client's questions (trust a new host, a changed certificate, a lost connection) on
// standard error after the program's name, answered "yes" or "no" on the terminal; without
// a terminal a question is declined. Other questions are declined as well.
class TerminalPrompter : public DecliningPrompter {
public:
    explicit TerminalPrompter(std::string program) : m_program(std::move(program)) {}
    int messageBox(const std::string& text, const std::string& caption, std::uint32_t style,
                   QObject* owner) override;

protected:
    const std::string& program() const { return m_program; }

private:
    std::string m_program;
};

// The password of user: $TRELLIS_PASSWORD when set, else typed on the terminal without echo;
// none when there is neither.
std::optional<std::string> AskPassword(const std::string& user);
