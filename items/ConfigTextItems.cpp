#include "ConfigTextItems.h"

#include "platform/Prompter.h"
#include "platform/XmlDocument.h"
#include "server/ITimecode.h"
#include "server/ServiceFactory.h"
#include "state/XPathAccess.h"

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

bool CConfigTextItem::canEdit() const {
    return Owner() && !(Flags() & ITEM_UNBOUND);
}

void CConfigTextItem::commitText(const std::string& text) {
    PutAttributeValue(Variant(text));
    PostChangeMessages();
    SetNeedsRedraw(true);
}

bool CConfigNameItem::IsValidName(const std::string& name) {
    return characterCount(name) <= kMaxNameLength &&
           name.find_first_of(kForbiddenNameCharacters) == std::string::npos;
}

bool CConfigNameItem::TrackPopup(QPoint) {
    if (!canEdit())
        return false;
    const Variant previous = RefreshPreviousValue();
    const std::string current = previous.toText();

    std::string text = current;
    if (prompter().keyboard(text, Label(), Owner()) != IDOK)
        return false;
    if (text.empty()) {
        // A cleared name goes back to the default made from the element's control index.
        std::int32_t controlIndex = 0;
        std::string element, attribute;
        GetXPath(element, attribute);
        std::shared_ptr<XmlDocument> document;
        state().GetConfigDocument(document);
        if (document)
            ReadXPathTypedValue(document->documentNode(), element + "/@controlIndex", controlIndex);
        text = fmt::sprintf("GPI-Out-%d", controlIndex + 1);
    }
    if (text == current)
        return false;
    if (!IsValidName(text)) {
        prompter().messageBox("Failed to edit trigger name. The name entered was too long or "
                              "contained illegal characters.",
                              "Rename Error", MB_TOUCH_ERROR, Owner());
        return false;
    }
    commitText(text);
    return true;
}

bool CConfigTimecodeItem::IsValidTimecode(const std::string& text) {
    return text.size() <= kMaxTimecodeLength &&
           text.find_first_not_of(kTimecodeCharacters) == std::string::npos;
}

bool CConfigTimecodeItem::TrackPopup(QPoint) {
    if (!canEdit())
        return false;
    const Variant previous = RefreshPreviousValue();
    const std::string current = previous.toText();

    std::string text = current;
    if (prompter().keypad(text, Label(), Owner(), 1, 0) != IDOK)
        return false;
    if (text.empty())
        text = "00:00:00.00";
    if (text == current)
        return false;
    if (!IsValidTimecode(text)) {
        prompter().messageBox("Failed to edit timecode value. The time entered was too long or "
                              "contained illegal characters.",
                              "Timecode Error", MB_TOUCH_ERROR, Owner());
        return false;
    }

    std::string standard = "Format525_29_97Hz_2To1";
    std::shared_ptr<XmlDocument> document;
    state().GetConfigDocument(document);
    if (document)
        ReadXPathTypedValue(document->documentNode(),
                            "Config/System/SystemVideoReference/@referenceStandard", standard);
    IServiceFactory* factory = serviceFactory();
    const std::shared_ptr<ITimecode> timecode = factory ? factory->CreateTimecode() : nullptr;
    if (!timecode)
        return false;
    // The object's own statuses are not checked: what it gives back is written.
    timecode->SetStandard(standard);
    timecode->SetFlag(true);
    timecode->SetText(text);
    std::string normalised;
    timecode->GetText(normalised);
    commitText(normalised);
    return true;
}
