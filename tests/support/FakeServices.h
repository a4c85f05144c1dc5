#pragma once
// Recording stand-ins for the server's log and configuration services.

#include "server/IConfigServer.h"
#include "server/ILog.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct LogRecord {
    HRESULT status;
    std::int32_t kind;
    std::string file;
    std::int32_t line;
    std::uint32_t elapsed;
    std::string text;
};

// A log whose status facet answers with the last status it was given, or with a fixed
// value when one is set.
class FakeLog : public ILog, public ILogStatus, public std::enable_shared_from_this<FakeLog> {
public:
    std::vector<LogRecord> records;
    std::optional<std::int32_t> fixedStatus;
    bool hasFacet = true;

    HRESULT LogEntry(HRESULT status, std::int32_t kind, const std::string& file, std::int32_t line,
                     std::uint32_t elapsedMs, const std::string& text) override {
        records.push_back({status, kind, file, line, elapsedMs, text});
        return S_OK;
    }
    std::shared_ptr<ILogStatus> StatusFacet() override {
        return hasFacet ? std::static_pointer_cast<ILogStatus>(shared_from_this()) : nullptr;
    }
    HRESULT GetStatus(std::int32_t& status) override {
        status = fixedStatus.value_or(records.empty() ? 0 : records.back().status);
        return S_OK;
    }
    std::vector<LogRecord> reports() const {
        std::vector<LogRecord> result;
        for (const LogRecord& record : records) {
            if (record.kind == LOG_KIND_REPORT)
                result.push_back(record);
        }
        return result;
    }
};

struct AttributeChangeCall {
    std::string elementXPath;
    std::string attributeName;
    std::string value;
    bool flag;
};

class FakeConfigServer : public IConfigServer {
public:
    std::vector<AttributeChangeCall> changes;
    HRESULT changeResult = S_OK;
    // Answers each live change when set, in place of changeResult.
    std::function<HRESULT(const AttributeChangeCall&)> changeAnswer;
    std::string configuration;
    std::vector<std::string> commits;
    std::string defaultAsked;
    std::string defaultText;
    bool usable = true;

    HRESULT GetConfiguration(std::string& text) override {
        text = configuration;
        return S_OK;
    }
    HRESULT CommitConfiguration(const std::string& text) override {
        commits.push_back(text);
        return S_OK;
    }
    HRESULT GetDefaultConfiguration(const std::string& standard, std::string& text) override {
        defaultAsked = standard;
        text = defaultText;
        return S_OK;
    }
    HRESULT ValidateConfiguration(const std::string&, bool& answer) override {
        answer = usable;
        return S_OK;
    }
    HRESULT AttributeChange(const std::string& elementXPath, const std::string& attributeName,
                            const std::string& value, bool flag) override {
        changes.push_back({elementXPath, attributeName, value, flag});
        return changeAnswer ? changeAnswer(changes.back()) : changeResult;
    }
    // The value last sent for an attribute, or empty when none was.
    std::string lastSent(const std::string& elementXPath, const std::string& attributeName) const {
        for (auto it = changes.rbegin(); it != changes.rend(); ++it) {
            if (it->elementXPath == elementXPath && it->attributeName == attributeName)
                return it->value;
        }
        return {};
    }
};
