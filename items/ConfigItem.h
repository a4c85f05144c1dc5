#pragma once
// One row of a configuration page: a label and the value of one attribute of the
// configuration document, bound by an element XPath and an attribute name. The list
// control owns, lays out, draws and hit-tests items; a user change writes the value and
// posts change messages to the owner page, whose rules react.

#include "platform/Variant.h"
#include "state/ConfigState.h"

#include <QPoint>
#include <QRect>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QObject;
class QPainter;
class QWidget;
class XmlDocument;

// Item flags.
constexpr std::uint32_t ITEM_RELAYOUT = 0x01;  // the owner lays its list out again after a change
constexpr std::uint32_t ITEM_LOCAL = 0x02;     // the value is held by the item, not the document
constexpr std::uint32_t ITEM_LIVE = 0x04;      // a change also goes to the server at once
constexpr std::uint32_t ITEM_SEPARATOR = 0x08; // a line above the row
constexpr std::uint32_t ITEM_UNBOUND = 0x10;   // bound to nothing; label in italics
constexpr std::uint32_t ITEM_INDENT = 0x20;    // a child row under a heading

// Interlock flags: the checks run before a change is written.
constexpr std::uint32_t INTERLOCK_REFERENCE_STANDARD = 0x01;
constexpr std::uint32_t INTERLOCK_RECORD_ANY = 0x02;
constexpr std::uint32_t INTERLOCK_RECORD_CHANNEL = 0x04;
constexpr std::uint32_t INTERLOCK_PLAY_ANY = 0x08;
constexpr std::uint32_t INTERLOCK_PLAY_CHANNEL = 0x10;
constexpr std::uint32_t INTERLOCK_LOADED_CHANNEL = 0x20;

// The label id of an item made with a label text.
constexpr int NO_LABEL_ID = -1;

class CConfigItem;

// Custom value accessors, for values that are not a single attribute. The document is
// null when none is loaded.
using ItemGetAccessor = std::function<HRESULT(XmlDocument* document, CConfigItem& item,
                                              std::intptr_t context, Variant& localValue)>;
using ItemPutAccessor = std::function<HRESULT(const Variant& value, XmlDocument* document,
                                              CConfigItem& item, std::intptr_t context)>;

class CConfigItem {
public:
    CConfigItem(int labelId, std::string elementXPath, std::string attributeName,
                std::uint32_t flags, QObject* owner);
    CConfigItem(std::string labelText, std::string elementXPath, std::string attributeName,
                std::uint32_t flags, QObject* owner);
    virtual ~CConfigItem();
    CConfigItem(const CConfigItem&) = delete;
    CConfigItem& operator=(const CConfigItem&) = delete;

    // Draws the row: label, and the value in blue (purple when selected), underlined.
    virtual void Draw(QPainter& painter, const QRect& row);
    // Reads the value; a value no node answers is left as passed in.
    virtual HRESULT GetAttributeValue(Variant& value);
    // The text shown for the value; empty for an empty value.
    int GetValueText(std::string& text);
    // How the row shows a value.
    virtual std::string ValueText(const Variant& value) const;
    // Whether a touch at the point (list coordinates) is on the value.
    virtual bool HitTest(QPoint point) const;
    virtual HRESULT PutAttributeValue(const Variant& value);
    // Lets the user change the value; true when it changed.
    virtual bool TrackPopup(QPoint point);
    // Refreshes a live value; true when the row must be repainted.
    virtual bool UpdateStatus();
    // Whether a touch on the value may change it (a read-only view refuses such touches).
    virtual bool OffersChange() const { return false; }
    // Whether the value differs from the one the configuration held when this session
    // started. Rows bound to nothing, and values the item holds itself, never do.
    virtual bool DiffersFromStart();
    // The value as the session started and now, as the row shows them; false for a row that
    // cannot tell (bound to nothing, or holding its value itself). A row whose choices
    // follow the document shows the start value with the choices it had at the start.
    bool StartAndNowText(std::string& was, std::string& now);
    // Both values and how the row shows them; nothing for a row that cannot tell.
    struct StartAndNow {
        Variant was;
        Variant now;
        std::string wasText;
        std::string nowText;
        // Whether the row offered the start value when it showed it; a row that no longer
        // offers it (another row of the same label shows it) shows it as its raw text.
        bool wasOffered = true;
    };
    std::optional<StartAndNow> ReadStartAndNow();
    // How the row shows a value when it is one of the values it offers; nothing when it is
    // not (a choice row whose choices do not hold it). Rows that offer no choices show any.
    virtual std::optional<std::string> OfferedValueText(const Variant& value) const;

    void GetLabel(std::string& text) const;
    std::string Label() const;
    int GetLabelId() const { return m_labelId; }
    void GetXPath(std::string& element, std::string& attribute) const;
    // The attribute's full XPath, or the element's when the row names no attribute.
    std::string Binding() const;
    void GetPreviousValue(Variant& value) const { value = m_previousValue; }
    void SetLocalValue(const Variant& value) { m_localValue = value; }
    const Variant& LocalValue() const { return m_localValue; }
    void SetInterlock(std::uint32_t interlockFlags, int channelIndex);
    std::uint32_t InterlockFlags() const { return m_interlockFlags; }
    int InterlockChannel() const { return m_channelIndex; }
    void SetGetCallback(ItemGetAccessor accessor, std::intptr_t context);
    bool HasGetCallback() const { return static_cast<bool>(m_getAccessor); }
    void SetPutCallback(ItemPutAccessor accessor, std::intptr_t context);
    void SetSeparator(bool separator);
    void SetSelected(bool selected);
    bool IsSelected() const { return m_selected; }
    std::uint32_t Flags() const { return m_flags; }
    QObject* Owner() const { return m_owner; }
    bool NeedsRedraw() const { return m_needsRedraw; }
    // Whether a write made now is the change's last: false for the live steps a dialog
    // applies while it runs.
    bool IsFinal() const { return m_final; }
    void SetNeedsRedraw(bool needsRedraw) { m_needsRedraw = needsRedraw; }
    // Where the value text was last drawn.
    const QRect& ValueRect() const { return m_valueRect; }
    // The room right of the label, up to the row's end, that takes a touch on the value:
    // set whenever a value is drawn, or could be set, and kept while none is.
    const QRect& ValueArea() const { return m_valueArea; }
    // The list that shows the item, whose coordinates a touch point is given in.
    void SetList(QWidget* list) { m_list = list; }

    // Visibility: every required condition must hold and, when there are alternatives,
    // at least one of them. A condition names an attribute by a full XPath.
    bool IsVisible();
    void ShowIf(const std::string& attributeXPath, const Variant& value);
    void ShowIfNot(const std::string& attributeXPath, const Variant& value);
    void ShowIfAny(const std::string& attributeXPath, const Variant& value);
    void ShowIfAnyNot(const std::string& attributeXPath, const Variant& value);

    // Runs the interlock checks of this item; true when the change may go ahead. At most
    // one message box is shown.
    bool CheckInterlocks();

protected:
    // Whether a change may begin: the item needs an owner to ask on behalf of, and a
    // read-only view refuses at once, saying why.
    bool BeginChange();
    // Writes a value the user chose. A failure is shown to the user; the answer is whether
    // the document now holds the value, so that the change messages may follow.
    bool WriteChosenValue(const Variant& value);
    // Tells the user that the document has no place for this setting.
    void ShowMissingSetting();
    // Posts the change message, the relayout when asked for and, for the reference
    // standard, the restart to the main window.
    void PostChangeMessages();
    // The owner as a widget, to parent popups.
    QWidget* OwnerWidget() const;
    // A point of the list (where touches land) on the screen, so a popup opens over the
    // row that was touched wherever the list sits inside its owner.
    QPoint ToScreen(QPoint point) const;
    // Draws the label part of a row and returns its rectangle.
    QRect DrawLabel(QPainter& painter, const QRect& row);

    // Reads an attribute of the configuration document by a full XPath; a missing node or
    // document leaves the value as it was.
    void ReadDocumentValue(const std::string& xpath, std::int32_t& value);
    void ReadDocumentValue(const std::string& xpath, std::string& value);

    // Reads the current value into the previous value, as a popup does when it opens; a
    // value no node answers leaves the previous value as it was.
    Variant RefreshPreviousValue();

    void setFinal(bool final) { m_final = final; }
    void addFlags(std::uint32_t flags) { m_flags |= flags; }
    CConfigState& state() { return m_state; }

private:
    // Reads the value from the configuration as the session started and from the current
    // one; false when the row has nothing to compare. A missing value stays empty.
    // The start value's text is taken, when asked for, while the row still holds what it read
    // from the start document.
    bool readStartAndNow(Variant& was, Variant& now, StartAndNow* shown = nullptr);
    void showStart(StartAndNow* shown, const Variant& was) const;
    // One line per channel that records or plays, for the restart question.
    std::string busyChannelLines();
    // A channel by its id, or its number when it has none.
    std::string channelName(int channel);
    // Which channel makes an activity check refuse the change, as a sentence; empty when
    // the server no longer says so.
    std::string refusalReason(std::uint32_t flag);

    struct Condition {
        std::string attributeXPath;
        Variant value;
        bool required;
        bool negated;
    };

    int m_labelId;
    QObject* m_owner;
    QWidget* m_list = nullptr;
    bool m_needsRedraw = false;
    std::string m_elementXPath;
    std::string m_attributeName;
    std::uint32_t m_flags;
    std::uint32_t m_interlockFlags = 0;
    int m_channelIndex = -1;
    bool m_selected = false;
    bool m_separator;
    bool m_final = true;
    CConfigState m_state;
    Variant m_localValue;
    Variant m_previousValue;
    std::string m_labelText;
    QRect m_valueRect;
    QRect m_valueArea;
    std::vector<Condition> m_conditions;
    std::intptr_t m_getContext = 0;
    std::intptr_t m_putContext = 0;
    ItemGetAccessor m_getAccessor;
    ItemPutAccessor m_putAccessor;
};
