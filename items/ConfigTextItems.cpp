#include "ConfigTextItems.h"

#include "platform/Prompter.h"
#include "server/ITimecode.h"
#include "server/ServiceFactory.h"

#include <fmt/printf.h>

namespace {

constexpr std::size_t kMaxNameLength = 50;
constexpr std::string_view kForbiddenNameCharacters = "*[]\\|/<>:\"?%'&";
constexpr std::size_t kMaxTimecodeLength = 11;
constexpr std::string_view kTimecodeCharacters = "0123456789:;.";

std::uint32_t textFlags(std::uint32_t flags) {
    return (flags & ITEM_UNBOUND) ? flags | ITEM_LOCAL : flags;
}

// Characters, not bytes, count towards the length.
std::size_t characterCount(const std::string& text) {
    return static_cast<std::size_t>(QString::fromStdString(text).size());
}

} // namespace

CConfigTextItem::CConfigTextItem(int labelId, std::string elementXPath, std::string attributeName,
                                 std::uint32_t flags, QObject* owner)
    : CConfigItem(labelId, std::move(elementXPath), std::move(attributeName), textFlags(flags),
                  owner) {
    if (flags & ITEM_UNBOUND)
        SetLocalValue(Variant(""));
}

CConfigTextItem::CConfigTextItem(std::string labelText, std::string elementXPath,
                                 std::string attributeName, std::uint32_t flags, QObject* owner)
    : CConfigItem(std::move(labelText), std::move(elementXPath), std::move(attributeName),
                  textFlags(flags), owner) {
    if (flags & ITEM_UNBOUND)
        SetLocalValue(Variant(""));
}

bool CConfigTextItem::TrackPopup(QPoint) {
    return false;
}

std::optional<std::string> CConfigTextItem::editText(const TextEntry& entry) {
    // Only a bound row with an owner to ask on behalf of can be edited.
    if ((Flags() & ITEM_UNBOUND) || !BeginChange())
        return std::nullopt;
    const std::string current = RefreshPreviousValue().toText();
    std::string text = current;
    if (entry.ask(text) != IDOK)
        return std::nullopt;
    if (text.empty())
        text = entry.whenEmpty();
    if (text == current)
        return std::nullopt;
    if (!entry.valid(text)) {
        prompter().messageBox(entry.refusal, entry.caption, MB_TOUCH_ERROR, Owner());
        return std::nullopt;
    }
    return text;
}

bool CConfigTextItem::commitText(const std::string& text) {
    if (!WriteChosenValue(Variant(text)))
        return false;
    PostChangeMessages();
    SetNeedsRedraw(true);
    return true;
}

bool CConfigNameItem::IsValidName(const std::string& name) {
    return characterCount(name) <= kMaxNameLength &&
           name.find_first_of(kForbiddenNameCharacters) == std::string::npos;
}

bool CConfigNameItem::TrackPopup(QPoint) {
    const std::optional<std::string> text = editText(
        {[this](std::string& entered) { return prompter().keyboard(entered, Label(), Owner()); },
         [this] {
             // A cleared name goes back to the default made from the element's control index.
             std::string element, attribute;
             GetXPath(element, attribute);
             std::int32_t controlIndex = 0;
             ReadDocumentValue(element + "/@controlIndex", controlIndex);
             return fmt::sprintf("GPI-Out-%d", controlIndex + 1);
         },
         IsValidName,
         "Failed to edit trigger name. The name entered was too long or contained illegal "
         "characters.",
         "Rename Error"});
    return text && commitText(*text);
}

bool CConfigTimecodeItem::IsValidTimecode(const std::string& text) {
    return text.size() <= kMaxTimecodeLength &&
           text.find_first_not_of(kTimecodeCharacters) == std::string::npos;
}

bool CConfigTimecodeItem::TrackPopup(QPoint) {
    const std::optional<std::string> text = editText(
        {[this](std::string& entered) {
             return prompter().keypad(entered, Label(), Owner(), 1, 0);
         },
         [] { return std::string("00:00:00.00"); }, IsValidTimecode,
         "Failed to edit timecode value. The time entered was too long or contained illegal "
         "characters.",
         "Timecode Error"});
    if (!text)
        return false;

    std::string standard = "Format525_29_97Hz_2To1";
    ReadDocumentValue("Config/System/SystemVideoReference/@referenceStandard", standard);
    IServiceFactory* factory = serviceFactory();
    const std::shared_ptr<ITimecode> timecode = factory ? factory->CreateTimecode() : nullptr;
    if (!timecode) {
        // Without the server's timecode object nothing can be normalised; say so.
        prompter().messageBox(ComErrorText(E_NOINTERFACE), Label(), MB_TOUCH_ERROR, Owner());
        return false;
    }
    // The object's own statuses are not checked: what it gives back is written.
    timecode->SetStandard(standard);
    timecode->SetFlag(true);
    timecode->SetText(*text);
    std::string normalised;
    timecode->GetText(normalised);
    return commitText(normalised);
}
