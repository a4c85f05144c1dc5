#pragma once
// One channel's tab of the Security page: the heading and the protocol user's user name,
// password (always masked) and domain, each entered on the on-screen keyboard. It holds the
// entry until the sheet applies it.

#include "platform/MessageWindow.h"
#include "state/ConfigState.h"

class QLineEdit;

class CChannelSecurityDlg : public CMessageWindow {
    Q_OBJECT
public:
    CChannelSecurityDlg();
    ~CChannelSecurityDlg() override;

    // Shows the entry as a child of the parent; the fields start unmodified. A read-only
    // view shows it and refuses a touch with a word to the user.
    void SetInfo(const ProtocolUserInfo& info, QWidget* parent, bool readOnly = false);
    // The entry as the edits hold it now.
    void GetInfo(ProtocolUserInfo& info) const;
    // Whether the user changed any of the three fields.
    bool IsModified() const;
    // The user name and domain as the entry was set; the password is not kept.
    const ProtocolUserInfo& StartInfo() const { return m_start; }
    bool IsPasswordModified() const;
    // What a touch on a field does: opens the keyboard (the masked one for the password) and
    // takes a changed entry.
    void EditField(QLineEdit* field);

    QLineEdit* UserEdit() const { return m_user; }
    QLineEdit* PasswordEdit() const { return m_password; }
    QLineEdit* DomainEdit() const { return m_domain; }

private:
    void build();

    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_domain = nullptr;
    bool m_readOnly = false;
    ProtocolUserInfo m_start;
};
