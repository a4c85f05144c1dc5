#pragma once
// What a process killed while it commits must leave in the server's state folder: a whole
// stored configuration, every state file readable, and a server that starts on it.

#include <QByteArray>
#include <QString>

#include <set>
#include <string>

// The document as the server stores it, or empty when it does not parse.
std::string NormalizedXml(const std::string& text);

QByteArray ReadWholeFile(const QString& path);

// Checks, as test expectations naming the kill, that config.xml in the state folder is one of
// the whole configurations (normalized), that every state file reads, and that a server
// started on the folder has a usable configuration and rejected none, and that its history's
// newest entry is the stored configuration. Gives the stored configuration.
std::string ExpectWholeAfterKill(const QString& stateFolder,
                                 const std::set<std::string>& wholeConfigurations, int kill);
