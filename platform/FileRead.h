#pragma once
// Reads a whole file that a user named, safely: only a regular file is read, never a
// device, FIFO or directory behind the name, and never more than a limit.

#include <QByteArray>
#include <QString>

#include <string>

enum class FileReadResult {
    Ok,
    Unreadable, // missing, not a regular file, no permission, or a read error
    TooLarge,   // holds more than the limit
};

// An unreadable file gives the reason in why, when asked for it.
FileReadResult ReadRegularFile(const QString& path, qint64 limit, QByteArray& content,
                               std::string* why = nullptr);
