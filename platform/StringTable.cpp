#include "StringTable.h"

#include <algorithm>
#include <iterator>

namespace {

struct StringEntry {
    int id;
    const char* text;
};

// Sorted by id.
constexpr StringEntry kStrings[] = {
#include "StringTableData.inc"
};

static_assert(std::is_sorted(std::begin(kStrings), std::end(kStrings),
                             [](const StringEntry& a, const StringEntry& b) {
                                 return a.id < b.id;
                             }),
              "the string table must stay sorted by id");

const StringEntry* find(int id) {
    const auto found = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                        [](const StringEntry& e, int key) { return e.id < key; });
    return (found != std::end(kStrings) && found->id == id) ? found : nullptr;
}

} // namespace

std::string LoadString(int id) {
    const StringEntry* entry = find(id);
    return entry ? entry->text : std::string();
}

bool HasString(int id) {
    return find(id) != nullptr;
}
