#pragma once
// The server's configuration service: the committed document, its defaults, validation
// and live changes of single attributes. A failed operation, or a document judged unusable,
// leaves its reason for LastErrorText().

#include "IErrorInfo.h"
#include "platform/HResult.h"

#include <memory>
#include <string>

class IConfigHistory;
class IRemoteHosts;

class IConfigServer : public IErrorInfo {
public:
    virtual ~IConfigServer() = default;
    virtual HRESULT GetConfiguration(std::string& text) = 0;
    virtual HRESULT CommitConfiguration(const std::string& text) = 0;
    // The same, with the change report the server's history keeps with the commit; a server
    // that keeps no history commits the text alone.
    virtual HRESULT CommitConfigurationWithReport(const std::string& text,
                                                  const std::string& /*report*/) {
        return CommitConfiguration(text);
    }
    // What the server said of the last commit that succeeded, for its user: that its history
    // could not record it. Empty when there is nothing to say.
    virtual std::string LastCommitNotice() { return {}; }
    virtual HRESULT GetDefaultConfiguration(const std::string& referenceStandard,
                                            std::string& text) = 0;
    // usable is true when the document is a configuration the server can run.
    virtual HRESULT ValidateConfiguration(const std::string& text, bool& usable) = 0;
    // Applies one attribute at once; flag is the caller's own second flag.
    virtual HRESULT AttributeChange(const std::string& elementXPath,
                                    const std::string& attributeName, const std::string& value,
                                    bool flag) = 0;
    // The remote hosts file kept beside the configuration, or null when the server keeps
    // none.
    virtual std::shared_ptr<IRemoteHosts> RemoteHostsFacet() { return nullptr; }
    // The history of the configurations the server stored, or null when it keeps none.
    virtual std::shared_ptr<IConfigHistory> HistoryFacet() { return nullptr; }
};
