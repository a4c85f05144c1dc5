#pragma once
// An item whose value is picked from a popup menu of choices, each a label and the value
// written when it is picked.

#include "ConfigItem.h"

class CConfigChoiceItem : public CConfigItem {
public:
    CConfigChoiceItem(int labelId, std::string elementXPath, std::string attributeName,
                      std::uint32_t flags, QObject* owner);
    CConfigChoiceItem(std::string labelText, std::string elementXPath, std::string attributeName,
                      std::uint32_t flags, QObject* owner);

    void AddChoice(int labelId, const Variant& value);
    void AddChoice(const std::string& labelText, const Variant& value);
    void RemoveAllChoices();
    std::size_t ChoiceCount() const { return m_choices.size(); }

    // The label of the choice whose value equals the current one; a value that is none of
    // the choices shows as its own text.
    std::string ValueText(const Variant& value) const override;
    std::optional<std::string> OfferedValueText(const Variant& value) const override;
    bool TrackPopup(QPoint point) override;
    bool OffersChange() const override { return true; }

private:
    struct Choice {
        int labelId;
        std::string labelText;
        Variant value;
        std::string label() const;
    };
    std::vector<Choice> m_choices;
};
