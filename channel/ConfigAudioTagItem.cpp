#include "ConfigAudioTagItem.h"

#include "AudioTagsDlg.h"

#include "platform/Prompter.h"

CConfigAudioTagItem::CConfigAudioTagItem(int labelId, bool input, int channelIndex,
                                         std::uint32_t flags, QObject* owner)
    : CConfigItem(labelId, "", "", flags | ITEM_LOCAL, owner), m_input(input),
      m_channelIndex(channelIndex) {}

bool CConfigAudioTagItem::TrackPopup(QPoint) {
    if (!BeginChange())
        return false;
    // Tags are labels for finding tracks, not recording settings: no interlock applies.
    CAudioTagsDlg dialog(m_channelIndex, m_input, OwnerWidget());
    if (prompter().runDialog(dialog) != IDOK)
        return false;
    // The dialog has written the document; the page rebuilds the tag rows.
    PostChangeMessages();
    SetNeedsRedraw(true);
    return true;
}
