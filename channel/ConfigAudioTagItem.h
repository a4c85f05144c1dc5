#pragma once
// A row of a channel's audio tags: shows the text the page gives it (such as
// "'ENG' : A1 - A3") and opens the tag editor of the channel's input or output tracks.

#include "items/ConfigItem.h"

class CConfigAudioTagItem : public CConfigItem {
public:
    // ITEM_LOCAL is always added; the row is bound to nothing.
    CConfigAudioTagItem(int labelId, bool input, int channelIndex, std::uint32_t flags,
                        QObject* owner);

    bool IsInput() const { return m_input; }
    // The whole row takes the touch.
    bool HitTest(QPoint) const override { return true; }
    bool TrackPopup(QPoint point) override;
    bool OffersChange() const override { return true; }

private:
    bool m_input;
    int m_channelIndex;
};
