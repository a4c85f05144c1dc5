// On a kiosk screen without a window manager no dialog has a title bar: each shows its
// title inside, at the top.

#include "app/HelpDialog.h"
#include "channel/AudioTagsDlg.h"
#include "channel/VbiLinesDlg.h"
#include "items/ConfigMaskItem.h"
#include "pages/ChannelPermissionsDlg.h"
#include "pages/RemoteHostDlg.h"
#include "platform/LogonDialog.h"
#include "platform/ProgressDlg.h"
#include "platform/TouchMessageBox.h"
#include "platform/XmlDocument.h"
#include "review/ReviewChangesDlg.h"
#include "state/ConfigState.h"
#include "support/ScriptedPrompter.h"

#include <QCoreApplication>
#include <QLabel>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// A dialog whose title is set after construction, as the items that open it do.
template <class Dialog> std::unique_ptr<QDialog> titled(Dialog* dialog, const char* title) {
    dialog->setWindowTitle(title);
    return std::unique_ptr<QDialog>(dialog);
}

} // namespace

TEST(DialogCaption, EveryDialogShowsItsTitleInsideAtTheTop) {
    ScriptedPrompter script;
    script.install();
    CConfigState state;
    auto document = std::make_shared<XmlDocument>();
    ASSERT_EQ(document->loadXml("<Config><Channel channelIndex=\"0\"/></Config>"), S_OK);
    state.SetDocument(document);

    const std::vector<std::pair<const char*, std::function<std::unique_ptr<QDialog>()>>> kinds{
        {"Security",
         [] {
             return std::make_unique<CTouchMessageBox>("Log on failed.", "Security",
                                                       MB_TOUCH_QUESTION);
         }},
        {"Output Test Modes:",
         [] {
             return titled(new CConfigMaskDlg(5, nullptr), "Output Test Modes:");
         }},
        {"VBI Lines:",
         [] {
             return titled(new CVbiLinesDlg(10, 20, 4, {12}, {}, 0, nullptr), "VBI Lines:");
         }},
        {"Audio Input Tags",
         [] {
             return std::make_unique<CAudioTagsDlg>(0, true);
         }},
        {"Add Host",
         [] {
             return std::make_unique<CRemoteHostDlg>("Add Host", "", "");
         }},
        {"Review Changes",
         [] {
             return std::make_unique<CReviewChangesDlg>(ConfigReview{});
         }},
        {"Log On to Configuration",
         [] {
             return std::make_unique<LogonDialog>("Log On to Configuration");
         }},
        {"Saving Configuration Settings",
         [] {
             return std::make_unique<CProgressDlg>("Please wait......",
                                                   "Saving Configuration Settings");
         }},
        {"Permissions of channel C2",
         [] {
             return std::make_unique<CChannelPermissionsDlg>("C2", QStringList{"alice", "bob"},
                                                             QStringList{"bob"});
         }},
        {"Help",
         [] {
             return std::make_unique<CHelpDialog>(QUrl());
         }},
    };
    for (const auto& [title, make] : kinds) {
        std::unique_ptr<QDialog> dialog = make();
        dialog->show();
        QCoreApplication::processEvents();
        const auto* caption = dialog->findChild<QLabel*>("Caption");
        ASSERT_NE(caption, nullptr) << title;
        EXPECT_TRUE(caption->isVisible()) << title;
        EXPECT_EQ(caption->text().toStdString(), title);
        for (const QWidget* other : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other == caption || !other->isVisible())
                continue;
            EXPECT_GE(other->y(), caption->geometry().bottom())
                << title << ": " << other->metaObject()->className() << " above the caption";
        }
    }
    EXPECT_EQ(script.unexpectedCount(), 0);
}
