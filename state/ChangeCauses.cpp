// Which of the user's changes each write to the document followed. Rules rewrite other
// settings after a change, some from posted messages, and dialogs write the document
// directly; every write goes through the document wrapper, which tells this observer, so
// each write is put down to the change under way when it was made.

#include "ConfigState.h"
#include "SharedState.h"

namespace {

// A document replaced as a whole (logon, Load, Restore) starts afresh, with no change under
// way: what Load wrote is nobody's change.
void followGeneration(SharedState& state) {
    auto& causes = state.changeCauses;
    if (causes.generation == state.documentGeneration)
        return;
    causes.generation = state.documentGeneration;
    causes.current.reset();
    causes.byWrite.clear();
}

void noteWrite(pugi::xml_node element, std::string_view attribute) {
    SharedState& state = sharedState();
    if (!state.document || element.root() != state.document->documentNode().raw())
        return; // another document: a copy, the logon text, a file being loaded
    followGeneration(state);
    if (state.changeCauses.current)
        state.changeCauses.byWrite[{element, std::string(attribute)}] = *state.changeCauses.current;
}

} // namespace

void CConfigState::BeginUserChange(ChangeCause cause) {
    SetXmlChangeObserver(&noteWrite);
    SharedState& state = sharedState();
    followGeneration(state);
    state.changeCauses.current = std::move(cause);
}

std::optional<ChangeCause> CConfigState::CauseOfWrite(const XmlNode& element,
                                                      const std::string& attribute) {
    SharedState& state = sharedState();
    followGeneration(state);
    const auto found = state.changeCauses.byWrite.find({element.raw(), attribute});
    if (found == state.changeCauses.byWrite.end())
        return std::nullopt;
    return found->second;
}
