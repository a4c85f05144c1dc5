#pragma once
// The remote hosts file's content: a RemoteHosts root with one Host element per host, in
// list order, each with the attributes "hostName" and "id". Other content is ignored on
// reading and not written.

#include <string>
#include <string_view>
#include <vector>

struct RemoteHost {
    std::string hostName;
    std::string id;
    bool operator==(const RemoteHost&) const = default;
};

// The hosts of a file's bytes. An empty file holds no hosts. False, with the reason, when
// the bytes are not a remote hosts file (not well-formed, or another root element).
bool ParseRemoteHosts(std::string_view bytes, std::vector<RemoteHost>& hosts, std::string& why);

// The file's bytes for the hosts.
std::string RemoteHostsText(const std::vector<RemoteHost>& hosts);
