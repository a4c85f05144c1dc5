#pragma once
// A point the configuration can be put back to: the document as it was, and every live
// change sent to the server since. A change that is cancelled, or a rule that fails half-way,
// puts both back, so that neither the document nor the server keeps what it left behind.

#include <memory>
#include <string>
#include <vector>

class XmlDocument;

class ConfigCheckpoint {
public:
    ConfigCheckpoint();
    ~ConfigCheckpoint();
    ConfigCheckpoint(const ConfigCheckpoint&) = delete;
    ConfigCheckpoint& operator=(const ConfigCheckpoint&) = delete;

    // Puts the document back as it was and sends the server, once for each setting changed
    // live since, the value it held before, as a final change. The answer names each setting the
    // server refused to take back, with the value it keeps; empty when all went back.
    std::vector<std::string> Restore();

private:
    struct Snapshot;
    std::unique_ptr<Snapshot> m_snapshot;
};

// The message that tells which settings stay changed on the server; empty for none.
std::string StaysChangedText(const std::vector<std::string>& settings);
