#pragma once
// The program's own window messages, carried as Qt events. PostMessage queues one for the
// target's event loop; SendMessage delivers it at once and returns the target's answer.

#include <QEvent>

#include <cstdint>

class QObject;

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr unsigned WM_USER = 0x400;
constexpr unsigned WM_CONFIG_STARTUP = 0x464;
constexpr unsigned WM_CONFIG_RELAYOUT = 0x465;
constexpr unsigned WM_CONFIG_ITEM_CHANGED = 0x466;
constexpr unsigned WM_CONFIG_RANGE_LIMIT = 0x467;
constexpr unsigned WM_CONFIG_RESTART = 0x468;

class ConfigMessageEvent : public QEvent {
public:
    ConfigMessageEvent(unsigned message, WPARAM wParam, LPARAM lParam)
        : QEvent(eventType(message)), m_message(message), m_wParam(wParam), m_lParam(lParam) {}

    // The Qt event type of one message: each message has its own, so that queued ones can
    // be withdrawn by message.
    static QEvent::Type eventType(unsigned message);

    unsigned message() const { return m_message; }
    WPARAM wParam() const { return m_wParam; }
    LPARAM lParam() const { return m_lParam; }

    // The receiver's answer, returned by SendMessage.
    LRESULT result() const { return m_result; }
    void setResult(LRESULT result) { m_result = result; }

private:
    unsigned m_message;
    WPARAM m_wParam;
    LPARAM m_lParam;
    LRESULT m_result = 0;
};

// The message an event carries, or null when the event is not one of them.
ConfigMessageEvent* asConfigMessage(QEvent* event);

// Queues the message; it is dropped if the target is deleted before it is delivered.
bool PostMessage(QObject* target, unsigned message, WPARAM wParam = 0, LPARAM lParam = 0);

// Withdraws the messages of that kind queued for the target and not yet delivered.
void RemovePostedMessages(QObject* target, unsigned message);

// Delivers the message at once and returns the receiver's answer (0 without a target).
LRESULT SendMessage(QObject* target, unsigned message, WPARAM wParam = 0, LPARAM lParam = 0);

// The application's main window, which receives WM_CONFIG_RESTART; null until set.
QObject* MainWindow();
void SetMainWindow(QObject* window);

template <class T> LPARAM ToLParam(T* pointer) {
    return reinterpret_cast<LPARAM>(pointer);
}
template <class T> T* FromLParam(LPARAM value) {
    return reinterpret_cast<T*>(value);
}
