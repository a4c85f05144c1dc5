#pragma once
// The rows of a configuration list as a person finds them: by their labels and values.

#include "items/ConfigItem.h"
#include "items/ConfigListCtrl.h"

#include <string>
#include <vector>

// Every row's label, in list order; only the shown ones when asked.
inline std::vector<std::string> RowLabels(const CConfigListCtrl& list, bool visibleOnly = false) {
    std::vector<std::string> result;
    for (std::size_t i = 0; i < list.ItemCount(); ++i)
        if (!visibleOnly || list.ItemAt(i)->IsVisible())
            result.push_back(list.ItemAt(i)->Label());
    return result;
}

// The n-th row (from 0) with the label text, of the shown ones when asked, or null.
inline CConfigItem* RowWithLabel(const CConfigListCtrl& list, const std::string& label, int nth = 0,
                                 bool visibleOnly = false) {
    for (std::size_t i = 0; i < list.ItemCount(); ++i) {
        CConfigItem* row = list.ItemAt(i);
        if (row->Label() == label && (!visibleOnly || row->IsVisible()) && nth-- == 0)
            return row;
    }
    return nullptr;
}

// The value a row shows; empty for no row.
inline std::string ShownValue(CConfigItem* row) {
    std::string text;
    if (row)
        row->GetValueText(text);
    return text;
}
