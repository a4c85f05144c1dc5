// The checks an item runs before it writes a value the user picked: a restart question
// for the reference standard, then refusals while channels record, play or hold a clip.

#include "ConfigItem.h"

#include "platform/Prompter.h"

#include <fmt/format.h>
#include <fmt/printf.h>

#include <vector>

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

std::string CConfigItem::channelName(int channel) {
    // A channel is named by its id, or by its number when it has none.
    std::string id;
    ReadDocumentValue(fmt::sprintf("//Channel[@channelIndex=\"%d\"]/@id", channel), id);
    return id.empty() ? std::to_string(channel + 1) : id;
}

std::string CConfigItem::busyChannelLines() {
    std::string lines;
    for (int channel = 0; channel < m_state.GetChannelCount(); ++channel) {
        const char* activity = m_state.IsRecording(channel) ? "is recording"
                               : m_state.IsPlaying(channel) ? "is playing"
                                                            : nullptr;
        if (activity)
            lines += channelName(channel) + " " + activity + "\n";
    }
    return lines;
}

std::string CConfigItem::refusalReason(std::uint32_t flag) {
    if (flag == INTERLOCK_LOADED_CHANNEL) {
        Variant asset;
        m_state.GetChanStatus(m_channelIndex, "assetname", asset);
        return fmt::format("Channel {} holds the clip \"{}\".", channelName(m_channelIndex),
                           asset.toText());
    }
    const bool recording = flag == INTERLOCK_RECORD_ANY || flag == INTERLOCK_RECORD_CHANNEL;
    const bool anyChannel = flag == INTERLOCK_RECORD_ANY || flag == INTERLOCK_PLAY_ANY ||
                            m_channelIndex < 0 || m_channelIndex >= m_state.GetChannelCount();
    std::vector<std::string> busy;
    for (int channel = 0; channel < m_state.GetChannelCount(); ++channel) {
        if (!anyChannel && channel != m_channelIndex)
            continue;
        if (recording ? m_state.IsRecording(channel) : m_state.IsPlaying(channel))
            busy.push_back(channelName(channel));
    }
    if (busy.empty())
        return std::string();
    std::string names = busy.front();
    for (std::size_t i = 1; i < busy.size(); ++i)
        names += (i + 1 == busy.size() ? " and " : ", ") + busy[i];
    return fmt::format("{} {} {} {}.", busy.size() == 1 ? "Channel" : "Channels", names,
                       busy.size() == 1 ? "is" : "are", recording ? "recording" : "playing");
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
            // The refusal names the channel that is busy, on a line of its own.
            const std::string reason = refusalReason(check.flag);
            prompter().messageBox(reason.empty() ? std::string(check.text)
                                                 : std::string(check.text) + "\n" + reason,
                                  check.caption, MB_TOUCH_WARNING, m_owner);
            return false;
        }
    }
    return true;
}
