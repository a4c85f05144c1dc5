#pragma once
// Text from a user or a request as the server's log shows it.

#include <string>

// The text with every control character, which could start a forged log line, shown as '?'.
std::string LoggableText(std::string text);
