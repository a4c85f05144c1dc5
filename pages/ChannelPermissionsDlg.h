#pragma once
// The stand-in server's permissions dialog: one check box per account, checked when the
// account may control the channel. The server hands it the accounts and stores the answer.

#include "platform/HResult.h"

#include <QDialog>
#include <QStringList>

#include <string>
#include <vector>

class QCheckBox;

class CChannelPermissionsDlg : public QDialog {
    Q_OBJECT
public:
    CChannelPermissionsDlg(const QString& channelId, const QStringList& accounts,
                           const QStringList& allowed, QWidget* parent = nullptr);

    // The checked accounts, in the order they are listed.
    QStringList Allowed() const;
    const std::vector<QCheckBox*>& Boxes() const { return m_boxes; }

    // Runs the dialog for a channel: S_OK with allowed set to the checked accounts when
    // the user confirms, S_FALSE when the user cancels.
    static HRESULT Present(int channel, const std::string& channelId, const QStringList& accounts,
                           QStringList& allowed);

private:
    std::vector<QCheckBox*> m_boxes;
};
