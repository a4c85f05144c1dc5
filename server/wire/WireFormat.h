#pragma once
// The network service's wire format, shared by the service and the client that reaches it:
// HTTPS (TLS 1.3 only) with JSON bodies, every path under /v1. docs/api.md describes each
// endpoint for people; this header is what both programs compile against.
//
// Every request but logon carries "Authorization: Bearer TOKEN". A failed request is
// answered with a status of 400 or more and the body {"error": TEXT, "hresult": NUMBER}:
// TEXT says why in words a person can be shown, NUMBER is the status the embedded server
// gives for the same failure, so that the client returns what the embedded path returns.

#include <QtGlobal>

namespace wire {

// The service listens on the loopback interface at this port unless told otherwise.
constexpr quint16 kDefaultPort = 7443;

// A request body larger than this is refused (413) without being read.
constexpr qint64 kMaxBodyBytes = 32 * 1024 * 1024;
// The request line and headers together.
constexpr qint64 kMaxHeaderBytes = 64 * 1024;
// A session ends after this long without a request, and at logoff.
constexpr int kSessionIdleSeconds = 30 * 60;
// How long a client waits for an answer before it tells the user the server is lost.
constexpr int kClientTimeoutMs = 10000;

// Headers.
constexpr const char* kAuthorization = "Authorization"; // "Bearer " + token
constexpr const char* kBearer = "Bearer ";
// The version of what a GET answered (configuration, remote hosts file, protocol users);
// a change sends it back in If-Match and is refused with 412 when the server holds a newer
// one.
constexpr const char* kETag = "ETag";
constexpr const char* kIfMatch = "If-Match";
// A random key per change request: a retry after a lost reply sends the same key and gets
// the first answer again, without the change being made twice.
constexpr const char* kIdempotencyKey = "Idempotency-Key";

// Paths and their bodies. Field names are listed beside each path.

// POST {user, password, domain} -> 201 {token, user, domain, administrator: bool}; 401 for a
// wrong user or password (after a delay that grows with each failure from the address).
// DELETE -> 204: logoff, the token is no longer valid.
constexpr const char* kSession = "/v1/session";
// GET ?group=NAME -> {member: bool}
constexpr const char* kSessionGroup = "/v1/session/group";

// GET -> {configuration: XML} with ETag. PUT {configuration, report} with If-Match and
// Idempotency-Key -> 200 {notice} with the new ETag (report, optional, is the change report
// the history keeps with the commit; notice, when present, says the history could not record
// the commit); 403 read-only, 412 changed since (the body
// holds the current configuration as {configuration}), 422 not a usable configuration.
constexpr const char* kConfiguration = "/v1/configuration";
// GET ?referenceStandard=NAME -> {configuration}; 404 for an unknown standard.
constexpr const char* kDefaults = "/v1/configuration/defaults";
// POST {configuration} -> {usable: bool, reason}
constexpr const char* kValidate = "/v1/configuration/validate";
// POST {element, attribute, value, flag: bool} -> 204; 403 read-only.
constexpr const char* kAttribute = "/v1/configuration/attribute";

// GET -> {channels: [{NAME: VALUE, ...}, ...]}: every status of every channel in one answer,
// index i being channel slot i. VALUE is a JSON bool, number (whole numbers are 32-bit
// integers) or string.
constexpr const char* kChannelStatus = "/v1/channels/status";
// GET /v1/channels/N/permissions -> {accounts: [..], allowed: [..]};
// PUT {allowed: [..]} -> 204; 403 read-only. N is the slot, 0 based.
constexpr const char* kChannelsPrefix = "/v1/channels/";
constexpr const char* kPermissionsSuffix = "/permissions";

// POST {status, kind, file, line, elapsedMs, text} -> 204
constexpr const char* kLog = "/v1/log";

// GET -> {channels: [{user, password, domain}, ...]} with ETag.
// PUT /v1/protocol-users/N {field: "user"|"password"|"domain", value} with If-Match -> 204
// with the new ETag; 403 read-only, 412 changed since.
constexpr const char* kProtocolUsers = "/v1/protocol-users";
// POST {user, password, domain} -> {valid: bool}: whether the three name an account.
constexpr const char* kAccountCheck = "/v1/accounts/check";

// GET -> {exists: bool, content: TEXT} with ETag. PUT {content} with If-Match -> 204 with the
// new ETag; 403 read-only, 412 changed since.
constexpr const char* kRemoteHosts = "/v1/remote-hosts";

// GET ?before=ID&count=N -> {entries: [{id, time, origin, user, address,
// restartedChannelIndexes: [..], report, version}, ..]}: the stored configurations, newest
// first, at most N (50 unless given, 1000 at most), older than entry ID when given.
// GET /v1/history/ID -> {entry: {..}, configuration: XML}; 404 when there is no such entry.
// Read-only sessions may read the history.
constexpr const char* kHistory = "/v1/history";

// POST {referenceStandard, flag: bool, text} -> {text}: the canonical timecode.
constexpr const char* kTimecode = "/v1/timecode";

// JSON field names used on more than one path.
constexpr const char* kError = "error";
constexpr const char* kHResult = "hresult";
constexpr const char* kConfigurationField = "configuration";
constexpr const char* kToken = "token";

} // namespace wire
