#include "ConfigCheckpoint.h"

#include "ConfigState.h"
#include "SharedState.h"
#include "platform/ConfigDiff.h"
#include "platform/XmlDocument.h"

#include <algorithm>

struct ConfigCheckpoint::Snapshot {
    std::shared_ptr<XmlDocument> document;
    XmlDocument before;
    std::uint64_t generation = 0;
    decltype(SharedState::changeCauses.byWrite) causes;
    std::size_t firstLiveWrite = 0;
};

namespace {

// A setting as the user can find it: the element's name and id, and the attribute.
std::string settingWords(const XmlDocument& document, const SharedState::LiveWrite& write) {
    const XmlNode element = document.documentNode().selectSingleNode(write.element);
    std::string name = element.isNull() ? write.element : element.name();
    if (const std::string id = element.attribute("id"); !id.empty())
        name += " \"" + id + "\"";
    return name + ": " + write.attribute + " = " + write.after;
}

} // namespace

ConfigCheckpoint::ConfigCheckpoint() {
    SharedState& state = sharedState();
    if (!state.document)
        return;
    m_snapshot = std::make_unique<Snapshot>();
    m_snapshot->document = state.document;
    m_snapshot->before.copyFrom(*state.document);
    m_snapshot->generation = state.documentGeneration;
    m_snapshot->causes = state.changeCauses.byWrite;
    m_snapshot->firstLiveWrite = state.liveWrites.size();
    ++state.openCheckpoints;
}

ConfigCheckpoint::~ConfigCheckpoint() {
    if (m_snapshot && --sharedState().openCheckpoints == 0)
        sharedState().liveWrites.clear();
}

std::vector<std::string> ConfigCheckpoint::Restore() {
    std::vector<std::string> kept;
    if (!m_snapshot)
        return kept;
    SharedState& state = sharedState();

    // Each setting once, with the value it held before its first change since the checkpoint
    // and the value the server was last given.
    std::vector<SharedState::LiveWrite> settings;
    for (std::size_t i = m_snapshot->firstLiveWrite; i < state.liveWrites.size(); ++i) {
        const SharedState::LiveWrite& write = state.liveWrites[i];
        const auto same = std::find_if(settings.begin(), settings.end(), [&](const auto& s) {
            return s.element == write.element && s.attribute == write.attribute;
        });
        if (same == settings.end())
            settings.push_back(write);
        else
            same->after = write.after;
    }
    // The newest first, so that the server goes back through the states it went through.
    CConfigState config;
    for (auto it = settings.rbegin(); it != settings.rend(); ++it) {
        if (!it->before)
            continue;
        if (FAILED(config.PutAttributeValue(it->element, it->attribute, Variant(*it->before), true,
                                            true)))
            kept.push_back(settingWords(m_snapshot->before, *it));
    }

    // The document goes back in place, so that what the change did not touch keeps its
    // identity, and with it the record of which change wrote it. A document replaced as a
    // whole since is not this checkpoint's to put back.
    if (state.document != m_snapshot->document ||
        state.documentGeneration != m_snapshot->generation)
        return kept;
    XmlDocument& document = *state.document;
    const XmlNode root = document.documentNode();
    const std::vector<ConfigChange> back =
        DiffConfigurations(root, m_snapshot->before.documentNode());
    if (!back.empty() &&
        (!ApplyConfigChanges(root, back) || document.xml() != m_snapshot->before.xml())) {
        // Not to be undone change by change: the document is replaced by the copy.
        XmlDocument copy;
        copy.copyFrom(m_snapshot->before);
        document.replaceContent(std::move(copy));
        ++state.documentGeneration;
        return kept;
    }
    state.changeCauses.byWrite = m_snapshot->causes;
    return kept;
}

std::string StaysChangedText(const std::vector<std::string>& settings) {
    if (settings.empty())
        return {};
    std::string text = "The server did not take back these settings; they stay changed on the "
                       "server until they are set again or the configuration is committed:";
    for (const std::string& setting : settings)
        text += "\n" + setting;
    return text;
}
