#pragma once
// The server's security service: each channel's protocol user, account checks and the
// permissions dialog.

#include "platform/HResult.h"

#include <QStringList>

#include <functional>
#include <string>

// The permissions dialog is the program's to show, whichever way the server is reached. It is
// given every account and the allowed ones, and returns S_OK with allowed changed to have it
// stored, or S_FALSE when the user cancelled.
using PermissionsPresenter = std::function<HRESULT(
    int channel, const std::string& channelId, const QStringList& accounts, QStringList& allowed)>;

class ISecurity {
public:
    virtual ~ISecurity() = default;
    virtual HRESULT GetChannelUser(int channel, std::string& user) = 0;
    virtual HRESULT GetChannelPassword(int channel, std::string& password) = 0;
    virtual HRESULT GetChannelDomain(int channel, std::string& domain) = 0;
    virtual HRESULT PutChannelUser(int channel, const std::string& user) = 0;
    virtual HRESULT PutChannelPassword(int channel, const std::string& password) = 0;
    virtual HRESULT PutChannelDomain(int channel, const std::string& domain) = 0;
    // valid is true when the three resolve to an account.
    virtual HRESULT ValidateUser(const std::string& user, const std::string& password,
                                 const std::string& domain, bool& valid) = 0;
    virtual HRESULT ShowPermissions(int channel, const std::string& channelId) = 0;
};
