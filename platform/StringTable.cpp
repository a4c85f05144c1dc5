#include "StringTable.h"

#include <algorithm>
#include <iterator>
#include <regex>

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

std::string FormatInserts(const std::string& text, const std::vector<std::string>& values) {
    // An insert is "%" and its number, optionally followed by "!" type "!".
    static const std::regex insert(R"(%([1-9][0-9]?)(![a-zA-Z]+!)?)");
    std::string result;
    auto last = text.cbegin();
    for (auto it = std::sregex_iterator(text.begin(), text.end(), insert);
         it != std::sregex_iterator(); ++it) {
        const std::smatch& match = *it;
        const std::size_t index = static_cast<std::size_t>(std::stoi(match[1].str())) - 1;
        result.append(last, match[0].first);
        result += index < values.size() ? values[index] : match[0].str();
        last = match[0].second;
    }
    result.append(last, text.cend());
    return result;
}
