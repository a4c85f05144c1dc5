#pragma once
// The writes of the Ganging page and the rules that follow a membership change: the gang
// order of every channel, and the leader's settings copied to the other members.

#include "GangSettings.h"

#include "platform/Variant.h"
#include "platform/XmlDocument.h"

#include <string>
#include <vector>

class CTraceScope;

// Writes attributes of the document as the page does (not sent to the server at once). A
// failed write is thrown through the scope; an attribute the document lacks takes no write
// and, when the write names whose setting it is, is kept for the user to hear of.
class CGangWrites {
public:
    CGangWrites(CTraceScope& scope, XmlNode root) : m_scope(scope), m_root(std::move(root)) {}

    bool Has(const std::string& element, const std::string& attribute) const;
    void Put(const std::string& element, const std::string& attribute, const Variant& value,
             const std::string& owner = {});
    // "C3 ee" for each setting that was missing, in the order met.
    const std::vector<std::string>& Missed() const { return m_missed; }
    const XmlNode& Root() const { return m_root; }

private:
    CTraceScope& m_scope;
    XmlNode m_root;
    std::vector<std::string> m_missed;
};

// Numbers the members of each gang from 0 in document order; a channel in no gang gets -1.
// Only the channels the page shows with a usable index take part.
void UpdateGangOrder(CGangWrites& writes, const GangSettings& settings);

// Copies each gang leader's loop, continuous record (not to or from a Player) and monitor
// EE settings to the other members of its gang.
void CopyLeaderSettings(CGangWrites& writes, const GangSettings& settings);
