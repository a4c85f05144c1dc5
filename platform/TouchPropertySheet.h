#pragma once
// The touch property sheet and its pages: page tabs along the top, the active page in the
// middle, and along the bottom the active page's own buttons with OK and Cancel, all
// sized for a finger.

#include "MessageWindow.h"

#include <QDialog>
#include <QStringList>
#include <QWidget>

#include <vector>

class QHBoxLayout;
class QPushButton;
class QStackedWidget;
class CTouchTab;

// Page buttons arrive at the sheet as command ids from this one upward.
constexpr int ID_WIZARD_BUTTON_FIRST = 22043;
constexpr int ID_WIZARD_BUTTON_LAST = 22049;

class CTouchPropertyPage : public CMessageWindow {
    Q_OBJECT
public:
    explicit CTouchPropertyPage(const QString& text);

    // Makes the page's window under the parent and lets the page build its content once.
    bool Create(QWidget* parent);
    bool IsCreated() const { return m_created; }

    void SetPageName(const QString& name) { m_name = name; }
    const QString& PageName() const { return m_name; }
    const QString& PageText() const { return m_text; }

    // Registers a page button; returns its command id.
    int AddWizardButton(const QString& text);
    // The configuration buttons every settings page has: Save, Load, Restore and History.
    void AddFileWizardButtons();
    const QStringList& WizardButtons() const { return m_buttons; }

    // The page's own handling of a page button; false leaves it to the sheet.
    virtual bool OnWizardButton(int index);
    // Whether any setting the page shows differs from how the session started.
    virtual bool HasChanges() { return false; }

signals:
    void wizardButtonsChanged();

protected:
    // Builds the page's content when its window is made.
    virtual bool OnInitDialog();

private:
    QString m_text;
    QString m_name;
    QStringList m_buttons;
    bool m_created = false;
};

class CTouchPropertySheet : public QDialog {
    Q_OBJECT
public:
    CTouchPropertySheet(const QString& caption, QSize size, QWidget* parent = nullptr);

    void AddPage(CTouchPropertyPage* page);
    void SetActivePage(CTouchPropertyPage* page);
    void SetActivePage(int index);
    CTouchPropertyPage* GetActivePage() const;
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CTouchPropertyPage* GetPage(int index) const;
    // Presses a page button of the active page, as a touch would.
    void PressWizardButton(int index);
    // Marks each page's tab whose page has changes.
    void UpdateChangeMarks();
    bool IsPageMarked(int index) const;
    // The OK and Cancel buttons, to press them.
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    // The "?" at the top right, which opens the help as F1 does.
    QPushButton* HelpButton() const { return m_help; }

protected:
    virtual void OnWizardButtons(int commandId) = 0;
    virtual void OnOK() = 0;
    virtual void OnCancel() = 0;
    // Closing the window by other means is Cancel.
    void reject() override;
    // Opens the help; the sheet itself has none.
    virtual void OnHelp() {}
    // F1 is help.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showPageButtons();

    std::vector<CTouchPropertyPage*> m_pages;
    CTouchTab* m_tabs = nullptr;
    QStackedWidget* m_stack = nullptr;
    QHBoxLayout* m_pageButtons = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_help = nullptr;
};
