#pragma once
// The Ganging page: one CGangDlg that shows which gang each channel belongs to and the
// options of the two gangs. Every change is written to the document at once; a membership
// change also renumbers the gang order and copies the leader's settings to the members.

#include "platform/TouchPropertySheet.h"

class CGangDlg;

class CGangPage : public CTouchPropertyPage {
    Q_OBJECT
public:
    // The elements the page shows, which its tab's change mark and the review follow.
    static constexpr const char* kChangePart = "//Channel/Ganging | /Config/Gang";

    CGangPage();
    ~CGangPage() override;

    CGangDlg* Dialog() const { return m_dialog; }
    bool HasChanges() override;

    // Moves the document's values into the dialog.
    void LoadGangSettings();
    // Writes the change a control of the dialog posted: its id and its new value.
    LRESULT OnItemChange(WPARAM controlId, LPARAM value);

protected:
    bool OnInitDialog() override;
    LRESULT OnConfigMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    CGangDlg* m_dialog = nullptr;
};
