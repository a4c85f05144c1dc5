#pragma once
// The GPI page: the tabs "GPI-Input" and "GPI-Output", each a list with a group of rows per
// GPI of the document.

#include "platform/TouchPropertySheet.h"

class CGpiInputDlg;
class CGpiOutputDlg;
class CGpiListDlg;
class CTouchTab;

class CGpiPage : public CTouchPropertyPage {
    Q_OBJECT
public:
    // The elements the page shows, which its tab's change mark and the review follow.
    static constexpr const char* kChangePart = "//Gpi | //GpiInput | //GpiOutput";

    CGpiPage();
    ~CGpiPage() override;

    CTouchTab* Tabs() const { return m_tabs; }
    CGpiInputDlg* InputDialog() const { return m_input; }
    CGpiOutputDlg* OutputDialog() const { return m_output; }
    // Chooses a tab, as a touch on it would.
    void SelectTab(int index);
    bool HasChanges() override;

protected:
    bool OnInitDialog() override;
    LRESULT OnConfigMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void OnSelChange(int index);
    void placeDialogs();
    CGpiListDlg* dialog(int index) const;

    CTouchTab* m_tabs = nullptr;
    CGpiInputDlg* m_input = nullptr;
    CGpiOutputDlg* m_output = nullptr;
};
