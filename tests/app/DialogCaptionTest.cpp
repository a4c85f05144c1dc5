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

#include <memory>
#include <utility>

TEST(DialogCaption, EveryDialogShowsItsTitleInsideAtTheTop) {
    ScriptedPrompter script;
    script.install();
    CConfigState state;
    auto document = std::make_shared<XmlDocument>();
    ASSERT_EQ(document->loadXml("<Config><Channel channelIndex=\"0\"/></Config>"), S_OK);
    state.SetDocument(document);

    CTouchMessageBox box("Log on failed.", "Security", MB_TOUCH_QUESTION);
    CConfigMaskDlg mask(5, nullptr);
    mask.setWindowTitle("Output Test Modes:"); // as the item does after construction
    CVbiLinesDlg vbi(10, 20, 4, {12}, {}, 0, nullptr);
    vbi.setWindowTitle("VBI Lines:");
    CAudioTagsDlg tags(0, true);
    CRemoteHostDlg host("Add Host", "", "");
    CReviewChangesDlg review{ConfigReview{}};
    LogonDialog logon("Log On to Configuration");
    CProgressDlg progress("Please wait......", "Saving Configuration Settings");
    CChannelPermissionsDlg permissions("C2", {"alice", "bob"}, {"bob"});
    CHelpDialog help{QUrl()};
    const std::pair<QDialog*, const char*> kinds[] = {{&box, "Security"},
                                                      {&mask, "Output Test Modes:"},
                                                      {&vbi, "VBI Lines:"},
                                                      {&tags, "Audio Input Tags"},
                                                      {&host, "Add Host"},
                                                      {&review, "Review Changes"},
                                                      {&logon, "Log On to Configuration"},
                                                      {&progress, "Saving Configuration Settings"},
                                                      {&permissions, "Permissions of channel C2"},
                                                      {&help, "Help"}};
    for (const auto& [dialog, title] : kinds) {
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
