// Which of the user's changes each document change followed. Rules rewrite other settings
// after a change, some from posted messages, and dialogs write the document directly, so
// instead of following every write the document is compared with a copy taken as each of
// the user's changes begins: what differs when the next begins followed that change.

#include "ConfigDiff.h"
#include "ConfigState.h"
#include "SharedState.h"

namespace {

// Puts the document changes since the last snapshot down to the current cause, and takes a
// new snapshot. A document replaced as a whole (logon, Load, Restore) starts afresh.
void settle(SharedState& state) {
    auto& causes = state.changeCauses;
    if (!state.document) {
        causes.snapshot.reset();
        causes.byChange.clear();
        causes.current.reset();
        return;
    }
    if (!causes.snapshot || causes.generation != state.documentGeneration) {
        causes.byChange.clear();
        causes.current.reset();
    } else {
        for (const ConfigChange& change :
             DiffConfigurations(causes.snapshot->documentNode(), state.document->documentNode())) {
            if (causes.current)
                causes.byChange[ChangeKey(change)] = *causes.current;
            else
                causes.byChange.erase(ChangeKey(change));
        }
    }
    if (!causes.snapshot)
        causes.snapshot = std::make_unique<XmlDocument>();
    causes.snapshot->copyFrom(*state.document);
    causes.generation = state.documentGeneration;
}

} // namespace

void CConfigState::BeginUserChange(ChangeCause cause) {
    SharedState& state = sharedState();
    settle(state);
    state.changeCauses.current = std::move(cause);
}

const std::map<std::string, ChangeCause>& CConfigState::ChangeCauses() {
    SharedState& state = sharedState();
    settle(state);
    return state.changeCauses.byChange;
}
