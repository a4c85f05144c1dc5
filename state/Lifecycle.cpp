// CConfigState: the configuration as a whole: dirty test, commit, restore, load, save,
// output test modes and the teardown of the shared state.

#include "ConfigState.h"

#include "SharedState.h"
#include "TraceScope.h"
#include "XPathAccess.h"
#include "platform/FileNames.h"
#include "platform/FileRead.h"
#include "platform/Prompter.h"
#include "platform/XmlDocument.h"
#include "server/IConfigHistory.h"
#include "server/IConfigServer.h"

#include <fmt/format.h>
#include <fmt/printf.h>

namespace {

// A configuration file larger than this is not read.
constexpr qint64 kMaxConfigFileSize = 32 * 1024 * 1024;

constexpr const char* kLoadError = "Load Error";

void appendXmlExtension(std::string& path) {
    path = WithExtension(QString::fromStdString(path), QStringLiteral(".xml")).toStdString();
}

constexpr const char* kNotXml = "'%s' does not appear to be a valid XML file.";
constexpr const char* kNotConfiguration = "'%s' is not a valid configuration file";

// Tells why a file is not loaded: the message, and on a line of its own the detail.
void loadError(const char* format, const std::string& path, const std::string& detail) {
    std::string text = fmt::sprintf(format, path);
    if (!detail.empty())
        text += "\n" + detail;
    prompter().messageBox(text, kLoadError, MB_TOUCH_ERROR, nullptr);
}

// The most changes of another session the question lists; the rest are counted.
constexpr std::size_t kListedChanges = 12;

enum class Overwrite { Commit, Discard };

// What another session changed, in the words given, for the question; empty without words.
std::string otherSessionsChanges(const XmlDocument* known, const XmlDocument* now,
                                 const CConfigState::ChangeWords& words) {
    if (!known || !now || !words)
        return {};
    const std::vector<std::string> lines = words(*known, *now);
    std::string text;
    for (std::size_t i = 0; i < lines.size() && i < kListedChanges; ++i)
        text += "\n" + lines[i];
    if (lines.size() > kListedChanges)
        text += fmt::format("\n... and {} more", lines.size() - kListedChanges);
    return text;
}

// Whether the configuration may be sent: true when the server still holds what this
// session last knew it to hold, or when the user agrees to overwrite another session's
// commit. A configuration the server gives that does not parse counts as changed, and so
// does one the server said was changed (refused) since it was read.
bool mayOverwrite(CTraceScope& scope, IConfigServer& server, Overwrite what,
                  const CConfigState::ChangeWords& words, bool refused) {
    std::string current;
    scope.Check(server.GetConfiguration(current));
    const XmlDocument* known = serverCopy(sharedState());
    XmlDocument now;
    const bool parsed = now.loadXml(current) == S_OK;
    if (!refused && known && parsed && now.xml() == known->xml())
        return true;
    const std::string changes = otherSessionsChanges(known, parsed ? &now : nullptr, words);
    std::string text = "The configuration was changed on the server after you logged on" +
                       (changes.empty() ? std::string(".") : ":" + changes + "\n\n");
    if (what == Overwrite::Commit)
        text += (changes.empty() ? " " : "") +
                std::string("Your commit would undo those changes.\n\nCommit anyway?");
    else
        text += (changes.empty() ? " " : "") +
                std::string("Discarding your changes puts back the configuration as it was when "
                            "you logged on, and would undo those changes too.\n\nDiscard anyway?");
    return prompter().messageBox(text, "Configuration Changed", MB_TOUCH_QUESTION | MB_DEFBUTTON2,
                                 nullptr) == IDYES;
}

// Sends text as the server's configuration when it may overwrite what the server holds. A
// server that finds another session committed between the check and the commit refuses it
// with E_CHANGED_STATE: the user is asked again about the changes now there, and a Yes sends
// it over that version. False when the user said No.
bool commitOverwriting(CTraceScope& scope, IConfigServer& server, const std::string& text,
                       Overwrite what, const CConfigState::ChangeWords& words,
                       const std::string& report) {
    bool refused = false;
    for (;;) {
        if (!mayOverwrite(scope, server, what, words, refused))
            return false;
        const HRESULT status = server.CommitConfigurationWithReport(text, report);
        if (status != E_CHANGED_STATE) {
            scope.Check(status, server);
            return true;
        }
        refused = true;
    }
}

// After a commit the server holds the document sent.
void serverNowHolds(const XmlDocument& document) {
    auto copy = std::make_unique<XmlDocument>();
    copy->copyFrom(document);
    sharedState().serverCopy = std::move(copy);
}

} // namespace

bool CConfigState::IsConfigDirty() {
    CTraceScope scope("CConfigState::IsConfigDirty");
    bool dirty = true;
    scope.Run([&] {
        if (const auto document = sharedState().document)
            dirty = document->xml() != sharedState().initialConfiguration;
    });
    return dirty;
}

HRESULT CConfigState::CommitConfig(const ChangeWords& words, const std::string& report) {
    CTraceScope scope("CConfigState::CommitConfig");
    return scope.Run([&] {
        const auto server = sharedState().configServer;
        const auto document = sharedState().document;
        if (!server || !document)
            return;
        if (!commitOverwriting(scope, *server, document->xml(), Overwrite::Commit, words, report)) {
            scope.SetStatus(E_ABORT);
            return;
        }
        serverNowHolds(*document);
    });
}

std::string CConfigState::LastCommitNotice() {
    const auto server = sharedState().configServer;
    return server ? server->LastCommitNotice() : std::string();
}

HRESULT CConfigState::RestoreDefaultConfig() {
    CTraceScope scope("CConfigState::RestoreDefaultConfig");
    return scope.Run([&] {
        const auto server = sharedState().configServer;
        const auto document = sharedState().document;
        if (!server || !document)
            return;
        std::string standard = "Format525_29_97Hz_2To1";
        ReadXPathTypedValue(document->documentNode(),
                            "Config/System/SystemVideoReference/@referenceStandard", standard);
        std::string text;
        scope.Check(server->GetDefaultConfiguration(standard, text), *server);
        // Parsed aside first, so that a rejected text leaves the live document as it was.
        XmlDocument defaults;
        if (defaults.loadXml(text) != S_OK) {
            std::string error;
            GetXmlErrorText(defaults, error);
            scope.Fail(E_FAIL, __FILE__, __LINE__, "%s", error);
        }
        document->replaceContent(std::move(defaults));
        ++sharedState().documentGeneration;
    });
}

HRESULT CConfigState::RestoreInitialConfig(const ChangeWords& words) {
    CTraceScope scope("CConfigState::RestoreInitialConfig");
    return scope.Run([&] {
        if (!sharedState().authorized) {
            TellNotAuthorized("Security Message", nullptr);
            return;
        }
        // Without the configuration fetched at logon there is nothing to give back: sending
        // an empty or unread text would wipe the server's.
        const auto server = sharedState().configServer;
        const std::string initial = sharedState().initialConfiguration;
        if (!server || !sharedState().document || initial.empty())
            return;
        if (!commitOverwriting(scope, *server, initial, Overwrite::Discard, words,
                               "The configuration as it was when the session started was put "
                               "back: the session's changes were discarded.")) {
            scope.SetStatus(E_ABORT);
            return;
        }
        sharedState().serverCopy.reset(); // the logon text again, parsed when needed
    });
}

HRESULT CConfigState::LoadConfig(std::string& path) {
    CTraceScope scope("CConfigState::LoadConfig");
    return scope.Run([&] {
        const auto server = sharedState().configServer;
        const auto document = sharedState().document;
        if (!server || !document)
            return;
        appendXmlExtension(path);

        QByteArray content;
        std::string why;
        switch (ReadRegularFile(QString::fromStdString(path), kMaxConfigFileSize, content, &why)) {
        case FileReadResult::Unreadable:
            loadError("'%s' could not be read.", path, AsSentence(why));
            return;
        case FileReadResult::TooLarge:
            loadError("'%s' is too large to be a configuration file.", path,
                      fmt::format("It is larger than the {} MiB limit.", kMaxConfigFileSize >> 20));
            return;
        case FileReadResult::Ok:
            break;
        }
        takeConfiguration(scope, *server, *document,
                          std::string_view(content.constData(), content.size()), path);
    });
}

HRESULT CConfigState::LoadHistoryEntry(std::int64_t id) {
    CTraceScope scope("CConfigState::LoadHistoryEntry");
    return scope.Run([&] {
        const auto server = sharedState().configServer;
        const auto document = sharedState().document;
        if (!server || !document)
            return;
        const std::string name = fmt::format("History entry {}", id);
        const std::shared_ptr<IConfigHistory> history = server->HistoryFacet();
        if (!history) {
            loadError("'%s' could not be read.", name, "The server keeps no history.");
            return;
        }
        HistoryEntry entry;
        std::string text;
        const HRESULT read = history->GetHistoryEntry(id, entry, text);
        if (FAILED(read)) {
            loadError("'%s' could not be read.", name, ServerFailureText(history.get(), read));
            return;
        }
        takeConfiguration(scope, *server, *document, text, name);
    });
}

std::shared_ptr<IConfigHistory> CConfigState::ConfigHistory() {
    const auto server = sharedState().configServer;
    return server ? server->HistoryFacet() : nullptr;
}

void CConfigState::takeConfiguration(CTraceScope& scope, IConfigServer& server,
                                     XmlDocument& document, std::string_view content,
                                     const std::string& name) {
    if (content.empty()) {
        loadError(kNotXml, name, "The file is empty.");
        return;
    }
    // The file's own encoding is honoured; the document holds UTF-8 from here on.
    XmlDocument loaded;
    if (loaded.loadBytes(content) != S_OK) {
        const auto& error = loaded.parseError();
        loadError(kNotXml, name, error ? "Error at " + AsSentence(error->Position()) : "");
        return;
    }
    if (const std::string root = loaded.documentElement().name(); root != "Config") {
        loadError(kNotConfiguration, name,
                  fmt::format("The root element is {}, not Config.", root));
        return;
    }
    const std::string text = loaded.xml();
    bool usable = false;
    scope.Check(server.ValidateConfiguration(text, usable), server);
    if (!usable) {
        loadError(kNotConfiguration, name, GetServerFailureText());
        return;
    }
    document.replaceContent(std::move(loaded));
    ++sharedState().documentGeneration;
}

HRESULT CConfigState::SaveConfig(std::string& path) {
    CTraceScope scope("CConfigState::SaveConfig");
    return scope.Run([&] {
        const auto document = sharedState().document;
        if (!document)
            return;
        appendXmlExtension(path);
        const HRESULT saved = document->save(QString::fromStdString(path));
        if (FAILED(saved)) {
            // The user chose the file: a save that did not happen must not look like one.
            prompter().messageBox(fmt::sprintf("The configuration could not be saved to '%s'.\n%s",
                                               path, ComErrorText(saved)),
                                  "Save Error", MB_TOUCH_ERROR, nullptr);
            scope.RaiseComError(saved);
        }
    });
}

HRESULT CConfigState::CancelOutputTestMode() {
    CTraceScope scope("CConfigState::CancelOutputTestMode");
    return scope.Run([&] {
        const auto document = sharedState().document;
        if (!document)
            return;
        for (const char* kind : {"VideoOutput", "AudioOutput"}) {
            XmlNodeList outputs;
            const std::string query = fmt::sprintf("//%s[@testMode=\"true\"]", kind);
            if (FAILED(document->documentNode().selectNodes(query, outputs)))
                scope.RaiseComError(E_FAIL);
            for (const XmlNode& output : outputs) {
                std::string id;
                ReadXPathValue(output, "@id", id);
                const std::string element = fmt::sprintf("//%s[@id=%s]", kind, XPathLiteral(id));
                // Each output is switched back on its own; one that fails does not keep
                // the others in test mode.
                PutAttributeValue(element, "testMode", Variant("false"), true, true);
            }
        }
    });
}

void CConfigState::teardown() {
    SharedState& s = sharedState();
    if (s.tearingDown)
        return;
    s.tearingDown = true;
    CancelOutputTestMode();
    s.document.reset();
    s.security.reset();
    s.log.reset();
    s.configServer.reset();
    for (auto& channel : s.channels)
        channel.reset();
    s.channelCount = 0;
    s.initialConfiguration.clear();
    s.serverCopy.reset();
    s.initialDocument.reset();
    s.changeCauses = {};
    s.logonFailure.clear();
    s.proPanel = false;
    s.authenticated = false;
    s.authorized = false;
    s.userName.clear();
    s.tearingDown = false;
}
