// Costs of the server's network service against the embedded server, in one run so the
// figures compare: start-up to the first page shown on either, the password check that
// dominates both, and one live attribute change round trip on either. The service is a
// `trellis-server serve` of this run's own on a free loopback port over a temporary state
// folder, trusted through a temporary known hosts file.

#include "BenchSupport.h"
#include "SheetStartup.h"
#include "platform/XmlDocument.h"
#include "server/HostServices.h"
#include "server/IAppServer.h"
#include "server/IConfigServer.h"
#include "server/IConnection.h"
#include "server/embedded/EmbeddedServer.h"
#include "support/TestServerHost.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

// The network service over a state folder of its own.
struct Service {
    QTemporaryDir folder;
    TestServerHost host{folder.path(), TestServerHost::Path::Service};
};
std::unique_ptr<Service> g_service;

// The service, started on first use and stopped with the application (before the end of
// the process, while its process can still be waited for).
TestServerHost& service() {
    if (!g_service) {
        g_service = std::make_unique<Service>();
        qAddPostRoutine([] { g_service.reset(); });
    }
    return g_service->host;
}

// Mean start-up of the embedded path in this run, for the network one's ratio.
double g_embeddedStartupMs = 0;

void startupToFirstPageEmbedded(benchmark::State& benchState) {
    QTemporaryDir folder;
    HostServiceFactory factory(folder.path());
    g_embeddedStartupMs = startSheetOn(benchState, factory, QStringLiteral("localhost"));
}
BENCHMARK(startupToFirstPageEmbedded)->UseManualTime()->Unit(benchmark::kMillisecond);

void startupToFirstPageOverNetwork(benchmark::State& benchState) {
    if (!service().failure().empty()) {
        benchState.SkipWithError(service().failure().c_str());
        return;
    }
    QTemporaryDir unused; // the embedded server's folder, never reached here
    HostServiceFactory factory(unused.path());
    const double network =
        startSheetOn(benchState, factory, QString::fromStdString(service().host()));
    if (network > 0 && g_embeddedStartupMs > 0)
        benchState.counters["x_embedded"] = network / g_embeddedStartupMs;
}
BENCHMARK(startupToFirstPageOverNetwork)->UseManualTime()->Unit(benchmark::kMillisecond);

void passwordCheck(benchmark::State& benchState) {
    QTemporaryDir folder;
    EmbeddedServer server(folder.path());
    for (auto _ : benchState) {
        if (!server.verifyAccount("admin", "trellis", "")) {
            benchState.SkipWithError("the right password was refused");
            break;
        }
    }
}
BENCHMARK(passwordCheck)->Unit(benchmark::kMillisecond);

// The configuration service of a session logged on to the host as the administrator, or
// null with the reason.
std::shared_ptr<IConfigServer> loggedOnConfig(IServiceFactory& factory, const std::string& host,
                                              std::shared_ptr<IConnection>& connection,
                                              std::string& why) {
    connection = factory.CreateConnection();
    bool loggedOn = false;
    std::shared_ptr<IAppServer> server;
    std::shared_ptr<IConfigServer> config;
    std::int16_t unused = 0;
    if (FAILED(connection->SetHost(host)) ||
        FAILED(connection->LogOn("admin", "trellis", "", true)) ||
        FAILED(connection->IsLoggedOn(loggedOn)) || !loggedOn ||
        FAILED(connection->GetAppServer("", "trellis-server", unused, server)) ||
        FAILED(server->GetConfigServer("trellis-server", config)) || !config) {
        why = "could not log on to " + host;
        return nullptr;
    }
    return config;
}

// One live change of the first channel's loop attribute per iteration, to and fro; the
// running configuration must hold the last value afterwards.
void attributeChangeOn(benchmark::State& benchState, IServiceFactory& factory,
                       const std::string& host) {
    std::shared_ptr<IConnection> connection;
    std::string why;
    const std::shared_ptr<IConfigServer> config = loggedOnConfig(factory, host, connection, why);
    if (!config) {
        benchState.SkipWithError(why.c_str());
        return;
    }
    const std::string element = "./Config/Channel[1]";
    bool loop = false;
    for (auto _ : benchState) {
        loop = !loop;
        if (const HRESULT hr =
                config->AttributeChange(element, "loop", loop ? "true" : "false", false);
            FAILED(hr)) {
            benchState.SkipWithError(("the change failed: " + config->LastErrorText()).c_str());
            return;
        }
    }
    std::string text;
    XmlDocument running;
    if (FAILED(config->GetConfiguration(text)) || FAILED(running.loadXml(text)) ||
        running.documentNode().selectSingleNode(element).attribute("loop") !=
            (loop ? "true" : "false"))
        benchState.SkipWithError("the running configuration does not hold the change");
}

void attributeChangeEmbedded(benchmark::State& benchState) {
    QTemporaryDir folder;
    HostServiceFactory factory(folder.path());
    attributeChangeOn(benchState, factory, "localhost");
}
BENCHMARK(attributeChangeEmbedded)->Unit(benchmark::kMillisecond);

void attributeChangeOverNetwork(benchmark::State& benchState) {
    if (!service().failure().empty()) {
        benchState.SkipWithError(service().failure().c_str());
        return;
    }
    QTemporaryDir unused;
    HostServiceFactory factory(unused.path());
    attributeChangeOn(benchState, factory, service().host());
}
BENCHMARK(attributeChangeOverNetwork)->Unit(benchmark::kMillisecond);

} // namespace

TRELLIS_BENCH_MAIN()
