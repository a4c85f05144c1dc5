#include "RemoteHostsList.h"

#include "platform/XmlDocument.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>

namespace {

constexpr const char* kRoot = "RemoteHosts";

} // namespace

bool ParseRemoteHosts(std::string_view bytes, std::vector<RemoteHost>& hosts, std::string& why) {
    hosts.clear();
    why.clear();
    // A file with nothing in it holds nothing that could be lost.
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](unsigned char c) { return std::isspace(c) != 0; }))
        return true;
    XmlDocument document;
    if (document.loadBytes(bytes) != S_OK) {
        const std::optional<XmlParseError>& error = document.parseError();
        why = error ? error->Position() : std::string("it is not XML");
        return false;
    }
    const XmlNode root = document.documentElement();
    if (root.name() != kRoot) {
        why = fmt::format("its root element is {}, not {}", root.name(), kRoot);
        return false;
    }
    for (const XmlNode& host : root.selectNodes("Host"))
        hosts.push_back({host.attribute("hostName"), host.attribute("id")});
    return true;
}

std::string RemoteHostsText(const std::vector<RemoteHost>& hosts) {
    XmlDocument document;
    const XmlNode root = document.documentNode().appendElement(kRoot);
    for (const RemoteHost& each : hosts) {
        const XmlNode host = root.appendElement("Host");
        host.setAttribute("hostName", each.hostName);
        host.setAttribute("id", each.id);
    }
    return document.xml();
}
