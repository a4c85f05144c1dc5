#include "ConfigChoiceItem.h"

#include "platform/Prompter.h"
#include "platform/StringTable.h"

CConfigChoiceItem::CConfigChoiceItem(int labelId, std::string elementXPath,
                                     std::string attributeName, std::uint32_t flags, QObject* owner)
    : CConfigItem(labelId, std::move(elementXPath), std::move(attributeName), flags, owner) {}

CConfigChoiceItem::CConfigChoiceItem(std::string labelText, std::string elementXPath,
                                     std::string attributeName, std::uint32_t flags, QObject* owner)
    : CConfigItem(std::move(labelText), std::move(elementXPath), std::move(attributeName), flags,
                  owner) {}

std::string CConfigChoiceItem::Choice::label() const {
    return labelId == NO_LABEL_ID ? labelText : LoadString(labelId);
}

void CConfigChoiceItem::AddChoice(int labelId, const Variant& value) {
    m_choices.push_back({labelId, std::string(), value});
}

void CConfigChoiceItem::AddChoice(const std::string& labelText, const Variant& value) {
    m_choices.push_back({NO_LABEL_ID, labelText, value});
}

void CConfigChoiceItem::RemoveAllChoices() {
    m_choices.clear();
}

std::optional<std::string> CConfigChoiceItem::OfferedValueText(const Variant& value) const {
    // Values compare as text; a float choice's text is the en-US form the document holds.
    for (const Choice& choice : m_choices) {
        if (value.equalsAsText(choice.value))
            return choice.label();
    }
    return std::nullopt;
}

std::string CConfigChoiceItem::ValueText(const Variant& value) const {
    // A stored value that is none of the choices shows as it is, so it can be seen and mended.
    return OfferedValueText(value).value_or(CConfigItem::ValueText(value));
}

bool CConfigChoiceItem::TrackPopup(QPoint point) {
    if (!BeginChange())
        return false;
    const Variant previous = RefreshPreviousValue();

    std::vector<MenuEntry> menu;
    menu.reserve(m_choices.size());
    for (std::size_t i = 0; i < m_choices.size(); ++i) {
        menu.push_back(MenuEntry{static_cast<int>(i + 1), m_choices[i].label(),
                                 previous.equalsAsText(m_choices[i].value), true});
    }
    const int command = prompter().popupMenu(menu, ToScreen(point), Owner());
    if (command <= 0 || command > static_cast<int>(m_choices.size()))
        return false;
    const Variant picked = m_choices[static_cast<std::size_t>(command - 1)].value;
    if (picked.equalsAsText(previous))
        return false;
    if (!CheckInterlocks() || !WriteChosenValue(picked))
        return false;
    PostChangeMessages();
    SetNeedsRedraw(true);
    return true;
}
