#include "ChangeUndo.h"

#include "ConfigItem.h"
#include "platform/Prompter.h"
#include "state/ConfigCheckpoint.h"

void UndoFailedChange(ConfigCheckpoint& checkpoint, CConfigItem* item, const std::string& why,
                      const std::string& caption, QObject* owner) {
    std::vector<std::string> kept = checkpoint.Restore();
    if (item) {
        Variant previous;
        item->GetPreviousValue(previous);
        Variant now;
        item->GetAttributeValue(now);
        // The item's own write came before the checkpoint; it goes back on its own.
        if (FAILED(item->PutAttributeValue(previous)))
            kept.push_back(item->Label() + " " + item->ValueText(now));
    }
    std::string text = why;
    if (const std::string stays = StaysChangedText(kept); !stays.empty())
        text += "\n\n" + stays;
    prompter().messageBox(text, caption, MB_TOUCH_ERROR, owner);
}
