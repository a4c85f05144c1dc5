#pragma once
// A window that records the program's messages it receives, in order, and answers
// WM_CONFIG_RANGE_LIMIT with a chosen value.

#include "platform/WindowMessages.h"

#include <QCoreApplication>
#include <QWidget>

#include <vector>

class MessageRecorder : public QWidget {
public:
    struct Message {
        unsigned message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Message> messages;
    LRESULT rangeLimitAnswer = 0;

    // Delivers what was posted and returns the messages received so far.
    const std::vector<Message>& delivered() {
        QCoreApplication::sendPostedEvents(this);
        return messages;
    }
    std::vector<unsigned> kinds() {
        std::vector<unsigned> result;
        for (const Message& message : delivered())
            result.push_back(message.message);
        return result;
    }

protected:
    bool event(QEvent* event) override {
        if (ConfigMessageEvent* message = asConfigMessage(event)) {
            messages.push_back({message->message(), message->wParam(), message->lParam()});
            if (message->message() == WM_CONFIG_RANGE_LIMIT)
                message->setResult(rangeLimitAnswer);
            return true;
        }
        return QWidget::event(event);
    }
};
