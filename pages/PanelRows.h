#pragma once
// Rows of the Panel page declared as data: each a heading or a choice bound to an
// attribute of the Panel element, and the routine that makes the items.

#include "platform/Variant.h"

#include <cstdint>
#include <utility>
#include <vector>

class CConfigListCtrl;
class QObject;

// The element every Panel setting is an attribute of.
inline constexpr const char* kPanelElement = "./Config/Panel";

struct PanelRow {
    int labelId;
    const char* attribute; // null for a heading, empty for a value no single attribute holds
    std::uint32_t flags;
    std::vector<std::pair<int, Variant>> choices = {}; // label id and the value written
};

// Appends an item per row to the list, owned by owner.
void AddPanelRows(CConfigListCtrl& list, const std::vector<PanelRow>& rows, QObject* owner);
