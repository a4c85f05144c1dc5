// The checks an item runs before it writes a value the user picked: a restart question
// for the reference standard, then refusals while channels record, play or hold a clip.

#include "ConfigItem.h"

#include "platform/Prompter.h"

#include <fmt/printf.h>

namespace {

struct Interlock {
    std::uint32_t flag;
    const char* text;
    const char* caption;
};

// In the order they are checked.
constexpr Interlock kActivityChecks[] = {
    {INTERLOCK_RECORD_ANY, "This value cannot be changed while recording on any channel.",
     "Record In Progress"},
    {INTERLOCK_RECORD_CHANNEL, "This value cannot be changed while recording.",
     "Record In Progress"},
    {INTERLOCK_PLAY_ANY, "This value cannot be changed while playing on any channel.",
     "Play In Progress"},
    {INTERLOCK_PLAY_CHANNEL, "This value cannot be changed while playing.", "Play In Progress"},
    {INTERLOCK_LOADED_CHANNEL, "This value cannot be changed while a clip is loaded.",
     "Channel In Use"},
};

} // namespace

std::string CConfigItem::busyChannelLines() {
    std::string lines;
    for (int channel = 0; channel < m_state.GetChannelCount(); ++channel) {
        const char* activity = m_state.IsRecording(channel) ? "is recording"
                               : m_state.IsPlaying(channel) ? "is playing"
                                                            : nullptr;
        if (!activity)
            continue;
        // A channel is named by its id, or by its number when it has none.
        std::string id;
        ReadDocumentValue(fmt::sprintf("//Channel[@channelIndex=\"%d\"]/@id", channel), id);
        lines += (id.empty() ? std::to_string(channel + 1) : id) + " " + activity + "\n";
    }
    return lines;
}

bool CConfigItem::CheckInterlocks() {
    if (m_interlockFlags & INTERLOCK_REFERENCE_STANDARD) {
        // A restart takes every channel offline: channels in use are named first, and then
        // the safe answer is the default.
        const std::string busy = busyChannelLines();
        const std::string question = "Changing the reference standard requires the system to be "
                                     "restarted. Reboot the system?";
        const std::uint32_t style = MB_TOUCH_QUESTION | (busy.empty() ? 0 : MB_DEFBUTTON2);
        if (prompter().messageBox(busy.empty() ? question : busy + "\n" + question,
                                  "Reference Standard", style, m_owner) == IDNO)
            return false;
    }
    for (const Interlock& check : kActivityChecks) {
        if (!(m_interlockFlags & check.flag))
            continue;
        bool active = false;
        switch (check.flag) {
        case INTERLOCK_RECORD_ANY:
            active = m_state.IsRecording(-1);
            break;
        case INTERLOCK_RECORD_CHANNEL:
            active = m_state.IsRecording(m_channelIndex);
            break;
        case INTERLOCK_PLAY_ANY:
            active = m_state.IsPlaying(-1);
            break;
        case INTERLOCK_PLAY_CHANNEL:
            active = m_state.IsPlaying(m_channelIndex);
            break;
        default:
            active = m_state.IsLoaded(m_channelIndex);
            break;
        }
        if (active) {
            prompter().messageBox(check.text, check.caption, MB_TOUCH_WARNING, m_owner);
            return false;
        }
    }
    return true;
}
