#include "ChangeWords.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kStepSeparator = " \u203A ";

// Abbreviations that read as capitals.
constexpr std::array<std::string_view, 22> kAbbreviations = {
    "vbi", "gpi", "aes", "sdi",  "ltc", "vitc",  "afd", "tc",  "anc",  "mpeg", "dv",
    "xga", "hd",  "sd",  "wxga", "ee",  "spdif", "id",  "gop", "ntsc", "pal",  "vesa"};

// Elements whose number is part of their name even for the first of them, with the words
// that name them.
struct NumberedElement {
    std::string_view name;
    std::string_view words;
};
constexpr std::array<NumberedElement, 2> kNumbered = {{{"Audio", "Audio track"}, {"Gang", "Gang"}}};

std::vector<std::string> words(const std::string& name) {
    std::vector<std::string> split;
    std::string word;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '_' || c == '-' || c == ' ') {
            if (!word.empty())
                split.push_back(word);
            word.clear();
            continue;
        }
        const bool upper = std::isupper(static_cast<unsigned char>(c));
        // A word starts at a capital after a small letter or digit, and at the last capital
        // of a run that a small letter follows ("VBILine" is "VBI" "Line").
        const bool afterSmall =
            i > 0 && !std::isupper(static_cast<unsigned char>(name[i - 1])) && name[i - 1] != '_';
        const bool endsRun = i > 0 && std::isupper(static_cast<unsigned char>(name[i - 1])) &&
                             i + 1 < name.size() &&
                             std::islower(static_cast<unsigned char>(name[i + 1]));
        if (upper && !word.empty() && (afterSmall || endsRun)) {
            split.push_back(word);
            word.clear();
        }
        word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (!word.empty())
        split.push_back(word);
    for (std::string& each : split) {
        if (std::find(kAbbreviations.begin(), kAbbreviations.end(), each) != kAbbreviations.end())
            std::transform(each.begin(), each.end(), each.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    }
    return split;
}

std::string joined(const std::vector<std::string>& split) {
    std::string text;
    for (const std::string& word : split)
        text += (text.empty() ? "" : " ") + word;
    return text;
}

std::string capitalised(std::string text) {
    if (!text.empty())
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

} // namespace

std::vector<std::string> ChangePathSteps(const std::string& path) {
    std::vector<std::string> steps;
    int depth = 0;
    std::size_t start = 1;
    // Steps end at a slash outside brackets and quotes.
    char quote = 0;
    for (std::size_t i = 1; i <= path.size(); ++i) {
        const char c = i < path.size() ? path[i] : '/';
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            ++depth;
        } else if (c == ']') {
            --depth;
        } else if (depth == 0 && c == '/') {
            steps.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    return steps;
}

namespace {

std::string elementName(const std::string& step) {
    return step.substr(0, step.find('['));
}

// One step in words: an element named by its id (unless the heading names it already), by
// its number among its like when that is part of its name or it is not the first.
std::string stepInWords(const std::string& step, const std::set<std::string>& quietIds) {
    const std::size_t open = step.find('[');
    const std::string name = step.substr(0, open);
    const auto numbered = std::find_if(kNumbered.begin(), kNumbered.end(),
                                       [&](const NumberedElement& e) { return e.name == name; });
    const std::string named =
        numbered != kNumbered.end() ? std::string(numbered->words) : NameInWords(name);
    if (open == std::string::npos)
        return named;
    const std::string predicate = step.substr(open + 1, step.size() - open - 2);
    if (predicate.starts_with("@id=")) {
        std::string id = predicate.substr(4);
        if (id.size() >= 2)
            id = id.substr(1, id.size() - 2);
        return quietIds.count(id) ? named : named + " \"" + id + "\"";
    }
    return predicate == "1" && numbered == kNumbered.end() ? named : named + " " + predicate;
}

std::string pathInWords(const std::string& path, const std::set<std::string>& quietIds) {
    const std::vector<std::string> steps = ChangePathSteps(path);
    std::string text;
    for (std::size_t i = 1; i < steps.size(); ++i) {
        // The channel names the group the change is listed in.
        if (i == 1 && steps[i].starts_with("Channel[") && steps.size() > 2)
            continue;
        std::string step = steps[i];
        // A child named after its parent is named by the rest: "Audio input › Analog".
        const std::string parent = elementName(steps[i - 1]);
        if (i > 1 && step.size() > parent.size() && step.starts_with(parent) &&
            std::isupper(static_cast<unsigned char>(step[parent.size()])))
            step = step.substr(parent.size());
        text += (text.empty() ? "" : kStepSeparator) +
                (i == 1 && step.starts_with("Channel[") ? "Channel" : stepInWords(step, quietIds));
    }
    return text.empty() ? std::string(kWholeConfiguration) : text;
}

// Elements named by what one of their attributes says rather than by their place among
// their like: a VBI line by its line number.
struct NamedElement {
    std::string_view name;
    const char* attribute;
};
constexpr std::array<NamedElement, 1> kNamedBy = {{{"VbiLine", "lineNum"}}};

// An added or removed element in words, named by its own attribute where it has one.
std::string elementInWords(const ConfigChange& change, const std::string& where) {
    pugi::xml_document parsed;
    parsed.load_string(change.element.c_str());
    const pugi::xml_node element = parsed.document_element();
    const auto named = std::find_if(kNamedBy.begin(), kNamedBy.end(), [&](const NamedElement& e) {
        return e.name == element.name() && element.attribute(e.attribute);
    });
    if (named == kNamedBy.end())
        return where;
    // The last step is the element itself.
    const std::size_t last = where.rfind(kStepSeparator);
    const std::string parent =
        last == std::string::npos ? std::string() : where.substr(0, last) + kStepSeparator;
    return parent + NameInWords(element.name()) + " " + element.attribute(named->attribute).value();
}

// A true or false value in words that fit the attribute: "assigned" and "not assigned",
// "enabled" and "disabled", else "on" and "off".
std::string flagInWords(const std::string& attributeWords, const std::string& value) {
    const bool on = value == "true";
    if (attributeWords == "enable" || attributeWords == "enabled")
        return on ? "enabled" : "disabled";
    if (attributeWords.ends_with("ed"))
        return on ? attributeWords : "not " + attributeWords;
    return on ? "on" : "off";
}

bool isFlag(const std::optional<std::string>& value) {
    return !value || *value == "true" || *value == "false";
}

// The attribute's name in words, without the words of its element: "Video input › Format",
// not "Video input › Video input format".
std::string attributeWords(const ConfigChange& change) {
    std::string attribute = joined(words(change.attribute));
    const std::vector<std::string> steps = ChangePathSteps(change.path);
    const std::string element =
        steps.empty() ? std::string() : joined(words(elementName(steps.back()))) + " ";
    if (attribute.size() > element.size() && attribute.starts_with(element))
        attribute = attribute.substr(element.size());
    return attribute;
}

} // namespace

std::string SettingInWords(const ConfigChange& change, const std::set<std::string>& quietIds) {
    return pathInWords(change.path, quietIds) + kStepSeparator +
           capitalised(attributeWords(change));
}

std::string NameInWords(const std::string& name) {
    return capitalised(joined(words(name)));
}

ReviewEntry DescribeChange(const ConfigChange& change, const std::set<std::string>& quietIds) {
    ReviewEntry entry;
    const std::string where = pathInWords(change.path, quietIds);
    switch (change.kind) {
    case ConfigChange::Kind::Attribute: {
        const std::string attribute = attributeWords(change);
        const bool flag =
            isFlag(change.before) && isFlag(change.after) && (change.before || change.after);
        const bool participle = flag && flagInWords(attribute, "true") != "on";
        // "Audio track 9: assigned → not assigned"; "Channel › Loop: on → off".
        entry.label = participle ? where : SettingInWords(change, quietIds);
        const auto shown = [&](const std::optional<std::string>& value) {
            return !value ? std::string() : flag ? flagInWords(attribute, *value) : *value;
        };
        entry.before = shown(change.before);
        entry.after = shown(change.after);
        break;
    }
    case ConfigChange::Kind::ElementAdded:
        entry.label = elementInWords(change, where) + " added";
        break;
    case ConfigChange::Kind::ElementRemoved:
        entry.label = elementInWords(change, where) + " removed";
        break;
    }
    entry.changes = {change};
    entry.ownCount = 1;
    return entry;
}
