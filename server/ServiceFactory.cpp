#include "ServiceFactory.h"

#include <atomic>

namespace {
std::atomic<IServiceFactory*> g_factory{nullptr};
}

IServiceFactory* serviceFactory() {
    return g_factory.load();
}

void installServiceFactory(IServiceFactory* factory) {
    g_factory.store(factory);
}
