#pragma once
// Text rows: a display-only row (also the heading row), a name typed on the on-screen
// keyboard and a timecode typed on the keypad.

#include "ConfigItem.h"

#include <functional>
#include <optional>

// Shows its value and offers nothing. An unbound one holds an empty text, so only its
// label shows, in italics.
class CConfigTextItem : public CConfigItem {
public:
    CConfigTextItem(int labelId, std::string elementXPath, std::string attributeName,
                    std::uint32_t flags, QObject* owner);
    CConfigTextItem(std::string labelText, std::string elementXPath, std::string attributeName,
                    std::uint32_t flags, QObject* owner);

    bool TrackPopup(QPoint point) override;

protected:
    // How a text row asks for and checks a new text.
    struct TextEntry {
        std::function<int(std::string& text)> ask;     // keyboard or keypad
        std::function<std::string()> whenEmpty;        // what a cleared entry becomes
        std::function<bool(const std::string&)> valid; // the length and character rules
        const char* refusal;                           // message text when not valid
        const char* caption;                           // and its caption
    };
    // Asks for a new text; returns it when it differs from the current one and is valid,
    // else nothing (a refusal has been shown).
    std::optional<std::string> editText(const TextEntry& entry);
    // Writes the new text and tells the owner; false when the write did not take.
    bool commitText(const std::string& text);
};

// A name: at most 50 characters, none of * [ ] \ | / < > : " ? % ' &.
class CConfigNameItem : public CConfigTextItem {
public:
    using CConfigTextItem::CConfigTextItem;
    bool TrackPopup(QPoint point) override;
    bool OffersChange() const override { return !(Flags() & ITEM_UNBOUND); }

    static bool IsValidName(const std::string& name);
};

// A timecode: at most 11 characters of digits, ":", ";" and ".", normalised by the
// server's timecode object for the reference standard.
class CConfigTimecodeItem : public CConfigTextItem {
public:
    using CConfigTextItem::CConfigTextItem;
    bool TrackPopup(QPoint point) override;
    bool OffersChange() const override { return !(Flags() & ITEM_UNBOUND); }

    static bool IsValidTimecode(const std::string& text);
};
