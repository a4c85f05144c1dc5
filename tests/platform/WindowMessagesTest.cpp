#include "platform/WindowMessages.h"

#include <QCoreApplication>
#include <QObject>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records the messages it receives and answers with wParam + lParam.
class Receiver : public QObject {
public:
    struct Seen {
        unsigned message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Seen> seen;

    bool event(QEvent* event) override {
        if (ConfigMessageEvent* message = asConfigMessage(event)) {
            seen.push_back({message->message(), message->wParam(), message->lParam()});
            message->setResult(static_cast<LRESULT>(message->wParam()) + message->lParam());
            return true;
        }
        return QObject::event(event);
    }
};

} // namespace

TEST(WindowMessages, PostedMessagesArriveInOrderFromTheEventLoop) {
    Receiver receiver;
    int item = 0;
    PostMessage(&receiver, WM_CONFIG_ITEM_CHANGED, 301, ToLParam(&item));
    PostMessage(&receiver, WM_CONFIG_RELAYOUT);
    EXPECT_TRUE(receiver.seen.empty());
    QCoreApplication::sendPostedEvents(&receiver);
    ASSERT_EQ(receiver.seen.size(), 2u);
    EXPECT_EQ(receiver.seen[0].message, WM_CONFIG_ITEM_CHANGED);
    EXPECT_EQ(receiver.seen[0].wParam, 301u);
    EXPECT_EQ(FromLParam<int>(receiver.seen[0].lParam), &item);
    EXPECT_EQ(receiver.seen[1].message, WM_CONFIG_RELAYOUT);
}

TEST(WindowMessages, SentMessagesReturnTheAnswerAtOnce) {
    Receiver receiver;
    EXPECT_EQ(SendMessage(&receiver, WM_CONFIG_RANGE_LIMIT, 0x10000 | 338, 2), 0x10000 + 338 + 2);
    EXPECT_EQ(receiver.seen.size(), 1u);
    EXPECT_EQ(SendMessage(nullptr, WM_CONFIG_RESTART), 0);
    EXPECT_FALSE(PostMessage(nullptr, WM_CONFIG_RESTART));
}

TEST(WindowMessages, MessagesToADeletedTargetAreDropped) {
    auto* receiver = new Receiver;
    Receiver other;
    PostMessage(receiver, WM_CONFIG_STARTUP);
    PostMessage(&other, WM_CONFIG_RELAYOUT);
    delete receiver;
    // The deleted target's message goes nowhere; the queue behind it still arrives.
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(other.seen.size(), 1u);
    EXPECT_EQ(other.seen[0].message, WM_CONFIG_RELAYOUT);
}

TEST(WindowMessages, QueuedMessagesOfOneKindCanBeWithdrawn) {
    Receiver receiver;
    PostMessage(&receiver, WM_CONFIG_ITEM_CHANGED, 301);
    PostMessage(&receiver, WM_CONFIG_RESTART);
    PostMessage(&receiver, WM_CONFIG_RELAYOUT, 301);
    RemovePostedMessages(&receiver, WM_CONFIG_RESTART);
    QCoreApplication::sendPostedEvents(&receiver);
    ASSERT_EQ(receiver.seen.size(), 2u);
    EXPECT_EQ(receiver.seen[0].message, WM_CONFIG_ITEM_CHANGED);
    EXPECT_EQ(receiver.seen[1].message, WM_CONFIG_RELAYOUT);
}
