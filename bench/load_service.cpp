// Load on the server's network service: 50 sessions log on through the network client, each
// asks for every channel's status once a second (one request per tick), and 5 of them commit
// a changed configuration in turn, one commit each second. Reports the status requests, their
// latency (50th and 99th percentile, maximum) and what became of every commit: stored and
// read back, or refused with a reason (412 when another session committed since). Exits 1
// when a commit was lost or a request failed without a reason.
//
//     trellis_load_service [SECONDS]     (60 by default)

#include "platform/XmlDocument.h"
#include "server/IAppServer.h"
#include "server/IChannel.h"
#include "server/IConfigServer.h"
#include "server/embedded/ChannelStates.h"
#include "server/remote/RemoteConnection.h"
#include "server/wire/WireFormat.h"
#include "support/TestServerHost.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSessions = 50;
constexpr int kCommitters = 5;
constexpr auto kTick = std::chrono::seconds(1);
// The sessions' ticks are spread over the second, as independent users' would be.
constexpr auto kSpread = std::chrono::milliseconds(1000 / kSessions);
// The attribute a commit flips, on the document's first channel.
constexpr const char* kElement = "/Config/Channel[1]";
constexpr const char* kAttribute = "loop";

// What every session adds up, under one lock.
struct Tally {
    std::mutex mutex;
    std::vector<double> latenciesMs;
    long failedRequests = 0;
    long commitsStored = 0;
    long refusedChanged = 0; // 412: another session committed since this one read
    long refusedOther = 0;
    long lost = 0;                     // answered as stored, but not what was read back
    long failedCommits = 0;            // not answered, or failed without a reason
    std::vector<std::string> problems; // each failure in words, printed at the end

    void problem(const std::string& text) {
        std::lock_guard lock(mutex);
        problems.push_back(text);
    }
};

// The first channel's attribute of a configuration, flipped; empty when the document has
// no such element.
std::string flipped(const std::string& configuration, std::string& value) {
    XmlDocument document;
    if (FAILED(document.loadXml(configuration)))
        return {};
    const XmlNode channel = document.documentNode().selectSingleNode(kElement);
    if (!channel)
        return {};
    value = channel.attribute(kAttribute) == "true" ? "false" : "true";
    channel.setAttribute(kAttribute, value);
    return document.xml();
}

std::string attributeOf(const std::string& configuration) {
    XmlDocument document;
    if (FAILED(document.loadXml(configuration)))
        return {};
    return document.documentNode().selectSingleNode(kElement).attribute(kAttribute);
}

class Session {
public:
    Session(int index, std::string host, Tally& tally)
        : m_index(index), m_host(std::move(host)), m_tally(tally),
          m_connection(RemoteOptions{wire::kClientTimeoutMs, {}}) {}

    // Logs on (an administrator when it commits, else an operator); false with the reason.
    bool logOn(std::string& why) {
        const bool commits = m_index < kCommitters;
        m_connection.SetHost(m_host);
        bool loggedOn = false;
        const HRESULT hr = m_connection.LogOn(commits ? "admin" : "operator",
                                              commits ? "trellis" : "operator", "", true);
        m_connection.IsLoggedOn(loggedOn);
        std::int16_t unused = 0;
        if (FAILED(hr) || !loggedOn ||
            FAILED(m_connection.GetAppServer("", "trellis-server", unused, m_server)) ||
            FAILED(m_server->GetConfigServer("trellis-server", m_config))) {
            bool connected = false;
            m_connection.IsConnected(connected);
            why = "session " + std::to_string(m_index) + " could not log on: " +
                  (FAILED(hr)   ? ComErrorText(hr)
                   : !connected ? "the service was not reached"
                                : "the user name or password was refused");
            return false;
        }
        for (int slot = 0; slot < ChannelStates::kChannels; ++slot) {
            std::shared_ptr<IChannel> channel;
            if (SUCCEEDED(m_server->GetChannel(Variant(static_cast<std::int32_t>(slot)), channel)))
                m_channels.push_back(channel);
        }
        return !commits || readConfiguration();
    }

    void run(Clock::time_point start, Clock::time_point end) {
        std::vector<double> latencies;
        for (int tick = 0;; ++tick) {
            const Clock::time_point due = start + m_index * kSpread + tick * kTick;
            if (due >= end)
                break;
            std::this_thread::sleep_until(due);
            latencies.push_back(pollStatus());
            if (m_index < kCommitters && tick % kCommitters == m_index)
                commit();
        }
        std::lock_guard lock(m_tally.mutex);
        m_tally.latenciesMs.insert(m_tally.latenciesMs.end(), latencies.begin(), latencies.end());
    }

private:
    // Every status of every channel: one request, the rest answered from it.
    double pollStatus() {
        static const QStringList names = ChannelStates::names();
        const Clock::time_point began = Clock::now();
        int read = 0;
        HRESULT failure = S_OK;
        for (const auto& channel : m_channels) {
            for (const QString& name : names) {
                Variant value;
                const HRESULT hr = channel->GetStatus(name.toStdString(), value);
                if (SUCCEEDED(hr))
                    ++read;
                else if (hr != E_INVALIDARG) // a status this channel does not have
                    failure = hr;
            }
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - began).count();
        if (FAILED(failure) || read == 0) {
            {
                std::lock_guard lock(m_tally.mutex);
                ++m_tally.failedRequests;
            }
            m_tally.problem("session " + std::to_string(m_index) + ": the status request failed: " +
                            (FAILED(failure) ? ComErrorText(failure) : "no status in the answer"));
        }
        return ms;
    }

    bool readConfiguration() {
        if (const HRESULT hr = m_config->GetConfiguration(m_read); FAILED(hr)) {
            failedCommit("the configuration could not be read", hr);
            return false;
        }
        return true;
    }

    // Commits the configuration last read with the attribute flipped; once refused because
    // another session committed since, reads it anew and commits again.
    void commit() {
        for (int attempt = 0; attempt < 2; ++attempt) {
            std::string value;
            const std::string changed = flipped(m_read, value);
            if (changed.empty()) {
                failedCommit("the configuration read has no " + std::string(kElement), E_FAIL);
                return;
            }
            const HRESULT hr = m_config->CommitConfiguration(changed);
            const std::string reason = m_config->LastErrorText();
            if (SUCCEEDED(hr)) {
                stored(value);
                return;
            }
            // A refusal is the service's answer, with its reason; a commit it never answered
            // is a failure.
            if (reason.empty() || hr == HRESULT_TIMEOUT || hr == HRESULT_CONNECTION_ABORTED) {
                failedCommit("the commit failed", hr);
                return;
            }
            {
                std::lock_guard lock(m_tally.mutex);
                ++(hr == E_CHANGED_STATE ? m_tally.refusedChanged : m_tally.refusedOther);
            }
            if (hr != E_CHANGED_STATE) {
                m_tally.problem("session " + std::to_string(m_index) +
                                ": commit refused: " + reason);
                readConfiguration();
                return;
            }
            if (!readConfiguration())
                return;
        }
    }

    // A commit answered as stored must be what the server gives back.
    void stored(const std::string& value) {
        if (!readConfiguration())
            return;
        const bool kept = attributeOf(m_read) == value;
        {
            std::lock_guard lock(m_tally.mutex);
            ++(kept ? m_tally.commitsStored : m_tally.lost);
        }
        if (!kept)
            m_tally.problem("session " + std::to_string(m_index) +
                            ": a commit answered as stored was not read back");
    }

    void failedCommit(const std::string& what, HRESULT hr) {
        const std::string reason = m_config->LastErrorText();
        {
            std::lock_guard lock(m_tally.mutex);
            ++m_tally.failedCommits;
        }
        m_tally.problem("session " + std::to_string(m_index) + ": " + what + ": " +
                        (reason.empty() ? ComErrorText(hr) : reason));
    }

    const int m_index;
    const std::string m_host;
    Tally& m_tally;
    RemoteConnection m_connection;
    std::shared_ptr<IAppServer> m_server;
    std::shared_ptr<IConfigServer> m_config;
    std::vector<std::shared_ptr<IChannel>> m_channels;
    std::string m_read; // the configuration last read, whose version a commit sends
};

double percentile(const std::vector<double>& sorted, double share) {
    if (sorted.empty())
        return 0;
    const auto rank =
        static_cast<std::size_t>(std::ceil(share * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    int seconds = 60;
    if (argc > 2 || (argc == 2 && (seconds = std::atoi(argv[1])) <= 0)) {
        std::fprintf(stderr, "usage: trellis_load_service [SECONDS]  (a whole number above 0; 60 "
                             "by default)\n");
        return 2;
    }

    QTemporaryDir folder;
    TestServerHost service(folder.path(), TestServerHost::Path::Service);
    if (!service.failure().empty()) {
        std::fprintf(stderr, "trellis_load_service: %s\n", service.failure().c_str());
        return 1;
    }
    std::printf("%d sessions for %d s against the service on %s\n", kSessions, seconds,
                service.host().c_str());

    Tally tally;
    // The sessions log on one after another, as users arriving would, before the clock
    // starts.
    std::vector<std::unique_ptr<Session>> sessions;
    const Clock::time_point logonBegan = Clock::now();
    for (int i = 0; i < kSessions; ++i) {
        auto session = std::make_unique<Session>(i, service.host(), tally);
        std::string why;
        if (session->logOn(why))
            sessions.push_back(std::move(session));
        else
            tally.problem(why);
    }
    const double logonSeconds = std::chrono::duration<double>(Clock::now() - logonBegan).count();
    const int loggedOn = static_cast<int>(sessions.size());
    const Clock::time_point start = Clock::now();
    const Clock::time_point end = start + std::chrono::seconds(seconds);
    std::vector<std::thread> threads;
    for (auto& session : sessions)
        threads.emplace_back([&, s = session.get()] { s->run(start, end); });
    for (std::thread& thread : threads)
        thread.join();
    sessions.clear(); // log off

    std::sort(tally.latenciesMs.begin(), tally.latenciesMs.end());
    const long commits = tally.commitsStored + tally.refusedChanged + tally.refusedOther +
                         tally.lost + tally.failedCommits;
    std::printf("sessions logged on: %d of %d (one after another, %.0f ms each on average)\n",
                loggedOn, kSessions, logonSeconds * 1000 / kSessions);
    std::printf("status requests: %zu, failed: %ld\n", tally.latenciesMs.size(),
                tally.failedRequests);
    std::printf("status latency: 50th percentile %.2f ms, 99th percentile %.2f ms, maximum "
                "%.2f ms\n",
                percentile(tally.latenciesMs, 0.50), percentile(tally.latenciesMs, 0.99),
                tally.latenciesMs.empty() ? 0.0 : tally.latenciesMs.back());
    std::printf("commits: %ld, stored and read back: %ld, refused because another session "
                "committed since (412): %ld, refused with another reason: %ld, lost: %ld, "
                "failed (not answered, or without a reason): %ld\n",
                commits, tally.commitsStored, tally.refusedChanged, tally.refusedOther, tally.lost,
                tally.failedCommits);
    for (const std::string& problem : tally.problems)
        std::fprintf(stderr, "trellis_load_service: %s\n", problem.c_str());
    const bool faultless = loggedOn == kSessions && tally.lost == 0 && tally.failedCommits == 0 &&
                           tally.failedRequests == 0;
    return faultless ? 0 : 1;
}
