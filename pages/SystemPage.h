#pragma once
// The System page: the reference standard with its two live reference lights, the time of
// day source and the analog audio reference level. Changing the reference standard
// rewrites every format, output timing, MPEG data rate and VBI line of the document.

#include "platform/HResult.h"
#include "platform/TouchPropertySheet.h"

#include <cstdint>
#include <memory>
#include <string>

class CConfigItem;
class ConfigCheckpoint;
class CConfigListCtrl;
class CTouchScrollBtn;
class CTraceScope;
class XmlDocument;

class CSystemPage : public CTouchPropertyPage {
    Q_OBJECT
public:
    // The elements the page shows: the System element and the time-of-day LTC input.
    static constexpr const char* kChangePart =
        "/Config/System | /Config/*[@id = /Config/System/TimeOfDay/@ltcInputId]";

    CSystemPage();
    ~CSystemPage() override;

    CConfigListCtrl* List() const { return m_list; }
    bool HasChanges() override;

    // The change rules, by the changed item's label id.
    LRESULT OnItemChange(WPARAM labelId, CConfigItem* item);
    // Rewrites the document for a new reference standard. A failure leaves the text that
    // says why in RewriteFailure().
    virtual HRESULT OnItemChange(XmlDocument& document, const std::string& standard);
    const std::string& RewriteFailure() const { return m_rewriteFailure; }

protected:
    bool OnInitDialog() override;
    LRESULT OnConfigMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // Builds the items from the document as it stands, with the list frozen; a failing
    // builder's status is thrown through the scope.
    void buildItems(CTraceScope& scope);
    // Lays the list out again, or builds it anew when the document was replaced since.
    void reload();
    // Puts the document and the server back as they were before a reference standard
    // change whose rewrite failed, withdraws the restart and tells the user.
    void undoStandardChange(ConfigCheckpoint& checkpoint, CConfigItem& item,
                            const std::string& why);

    HRESULT CreateVideoRefConfig(XmlDocument* document);
    HRESULT CreateTimeOfDayConfig(XmlDocument* document);
    HRESULT CreateAudioRefConfig(XmlDocument* document);
    HRESULT OnLtcSourceChange(XmlDocument& document, const std::string& choice);

    CConfigListCtrl* m_list = nullptr;
    CTouchScrollBtn* m_scroll = nullptr;
    int m_timerId = 100;
    std::uint64_t m_builtGeneration = 0;
    std::string m_rewriteFailure;
};
