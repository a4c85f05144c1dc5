#pragma once
// The System page: the reference standard with its two live reference lights, the time of
// day source and the analog audio reference level. Changing the reference standard
// rewrites every format, output timing, MPEG data rate and VBI line of the document.

#include "platform/HResult.h"
#include "platform/TouchPropertySheet.h"

#include <memory>
#include <string>

class CConfigItem;
class CConfigListCtrl;
class CTouchScrollBtn;
class XmlDocument;

class CSystemPage : public CTouchPropertyPage {
    Q_OBJECT
public:
    CSystemPage();
    ~CSystemPage() override;

    CConfigListCtrl* List() const { return m_list; }

    // The change rules, by the changed item's label id.
    LRESULT OnItemChange(WPARAM labelId, CConfigItem* item);
    // Rewrites the document for a new reference standard.
    HRESULT OnItemChange(XmlDocument& document, const std::string& standard);

protected:
    bool OnInitDialog() override;
    LRESULT OnConfigMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    HRESULT CreateVideoRefConfig(XmlDocument* document);
    HRESULT CreateTimeOfDayConfig(XmlDocument* document);
    HRESULT CreateAudioRefConfig(XmlDocument* document);
    HRESULT OnLtcSourceChange(XmlDocument& document, const std::string& choice);

    CConfigListCtrl* m_list = nullptr;
    CTouchScrollBtn* m_scroll = nullptr;
    int m_timerId = 100;
};
