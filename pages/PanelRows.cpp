#include "PanelRows.h"

#include "items/ConfigChoiceItem.h"
#include "items/ConfigListCtrl.h"
#include "items/ConfigTextItems.h"

void AddPanelRows(CConfigListCtrl& list, const std::vector<PanelRow>& rows, QObject* owner) {
    for (const PanelRow& row : rows) {
        if (!row.attribute) {
            list.AddItem(new CConfigTextItem(row.labelId, "", "", row.flags, owner));
            continue;
        }
        auto* choice =
            new CConfigChoiceItem(row.labelId, kPanelElement, row.attribute, row.flags, owner);
        for (const auto& [labelId, value] : row.choices)
            choice->AddChoice(labelId, value);
        list.AddItem(choice);
    }
}
