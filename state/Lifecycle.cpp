// CConfigState: the configuration as a whole: dirty test, commit, restore, load, save,
// output test modes and the teardown of the shared state.

#include "ConfigState.h"

#include "SharedState.h"
#include "TraceScope.h"
#include "XPathAccess.h"
#include "platform/Prompter.h"
#include "platform/XmlDocument.h"
#include "server/IConfigServer.h"

#include <QFile>
#include <QFileInfo>

#include <fmt/printf.h>

namespace {

// A configuration file larger than this is not read.
constexpr qint64 kMaxConfigFileSize = 32 * 1024 * 1024;

constexpr const char* kLoadError = "Load Error";

void appendXmlExtension(std::string& path) {
    const auto endsWithXml = [&] {
        if (path.size() < 4)
            return false;
        const QString tail = QString::fromStdString(path.substr(path.size() - 4));
        return tail.compare(QLatin1String(".xml"), Qt::CaseInsensitive) == 0;
    };
    if (!endsWithXml())
        path += ".xml";
}

void loadError(const char* format, const std::string& path) {
    prompter().messageBox(fmt::sprintf(format, path), kLoadError, MB_TOUCH_ERROR, nullptr);
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

HRESULT CConfigState::CommitConfig() {
    CTraceScope scope("CConfigState::CommitConfig");
    return scope.Run([&] {
        const auto server = sharedState().configServer;
        const auto document = sharedState().document;
        if (server && document)
            scope.Check(server->CommitConfiguration(document->xml()));
    });
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
        scope.Check(server->GetDefaultConfiguration(standard, text));
        // Parsed aside first, so that a rejected text leaves the live document as it was.
        XmlDocument defaults;
        if (defaults.loadXml(text) != S_OK) {
            std::string error;
            GetXmlErrorText(defaults, error);
            scope.Fail(E_FAIL, __FILE__, __LINE__, "%s", error);
        }
        document->replaceContent(std::move(defaults));
    });
}

HRESULT CConfigState::RestoreInitialConfig() {
    CTraceScope scope("CConfigState::RestoreInitialConfig");
    return scope.Run([&] {
        if (!sharedState().authorized) {
            prompter().messageBox("You are not authorized to change configuration settings.",
                                  "Security Message", MB_TOUCH_WARNING, nullptr);
            return;
        }
        if (const auto server = sharedState().configServer)
            scope.Check(server->CommitConfiguration(sharedState().initialConfiguration));
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

        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::ReadOnly) || QFileInfo(file).isDir()) {
            loadError("'%s' could not be read.", path);
            return;
        }
        if (file.size() > kMaxConfigFileSize) {
            loadError("'%s' is too large to be a configuration file.", path);
            return;
        }
        const QByteArray content = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            loadError("'%s' could not be read.", path);
            return;
        }

        XmlDocument loaded;
        if (loaded.loadXml(std::string_view(content.constData(), content.size())) != S_OK) {
            loadError("'%s' does not appear to be a valid XML file.", path);
            return;
        }
        const std::string text = loaded.xml();
        bool usable = false;
        scope.Check(server->ValidateConfiguration(text, usable));
        if (!usable) {
            loadError("'%s' is not a valid configuration file", path);
            return;
        }
        document->replaceContent(std::move(loaded));
    });
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
    s.proPanel = false;
    s.authenticated = false;
    s.authorized = false;
    s.tearingDown = false;
}
