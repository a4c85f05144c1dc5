#include "WindowMessages.h"

#include <QCoreApplication>
#include <QPointer>

#include <map>
#include <mutex>

namespace {
QPointer<QObject> g_mainWindow;
}

QObject* MainWindow() {
    return g_mainWindow.data();
}

void SetMainWindow(QObject* window) {
    g_mainWindow = window;
}

QEvent::Type ConfigMessageEvent::eventType(unsigned message) {
    static std::mutex mutex;
    static std::map<unsigned, QEvent::Type> types;
    std::lock_guard lock(mutex);
    auto found = types.find(message);
    if (found == types.end())
        found =
            types.emplace(message, static_cast<QEvent::Type>(QEvent::registerEventType())).first;
    return found->second;
}

ConfigMessageEvent* asConfigMessage(QEvent* event) {
    // Ordinary Qt events are far more frequent: rule them out by type first.
    if (!event || event->type() < QEvent::User)
        return nullptr;
    return dynamic_cast<ConfigMessageEvent*>(event);
}

bool PostMessage(QObject* target, unsigned message, WPARAM wParam, LPARAM lParam) {
    if (!target)
        return false;
    QCoreApplication::postEvent(target, new ConfigMessageEvent(message, wParam, lParam));
    return true;
}

void RemovePostedMessages(QObject* target, unsigned message) {
    if (target)
        QCoreApplication::removePostedEvents(target, ConfigMessageEvent::eventType(message));
}

LRESULT SendMessage(QObject* target, unsigned message, WPARAM wParam, LPARAM lParam) {
    if (!target)
        return 0;
    ConfigMessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(target, &event);
    return event.result();
}
