#include "ChannelFixture.h"

#include "channel/ChannelPage.h"
#include "items/ConfigTextItems.h"
#include "platform/Metrics.h"
#include "platform/StringIds.h"
#include "platform/TouchScrollButtons.h"
#include "platform/TouchTab.h"
#include "support/Touch.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>

namespace {

// Channels in the order given, each a Player with its own output format.
std::string channelsDocument(const std::vector<std::pair<std::string, std::string>>& channels) {
    std::string text = "<Config><System><SystemVideoReference "
                       "referenceStandard=\"Format525_29_97Hz_2To1\"/></System>";
    std::string outputs;
    for (const auto& [index, id] : channels) {
        text += "<Channel channelIndex=\"" + index + "\" id=\"" + id +
                "\" channelType=\"Player\"><Video><VideoOutputComponent id=\"VO" + id +
                "\"/><VideoCodecComponent id=\"VC\"/></Video><Monitor audioMeters=\"true\"/>"
                "</Channel>";
        outputs += "<VideoOutput id=\"VO" + id +
                   "\" videoOutputFormat=\"Format525_29_97Hz_2To1\""
                   " stillPlayMode=\"Stills" +
                   id + "\"/>";
    }
    return text + outputs + "<VideoCodec id=\"VC\"><Mpeg/></VideoCodec></Config>";
}

// Records, for each relayout a dialog receives, whether it was visible then.
class RelayoutWatcher : public QObject {
public:
    std::vector<std::pair<QObject*, bool>> seen;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (ConfigMessageEvent* message = asConfigMessage(event);
            message && message->message() == WM_CONFIG_RELAYOUT)
            seen.emplace_back(watched, static_cast<QWidget*>(watched)->isVisible());
        return false;
    }
};

class ChannelPageTest : public ChannelTest {
protected:
    CChannelPage& buildPage() {
        page = std::make_unique<CChannelPage>();
        page->resize(800, 600);
        page->Create(nullptr);
        return *page;
    }
    std::vector<std::string> tabTexts() const {
        std::vector<std::string> texts;
        for (int i = 0; i < page->Tabs()->count(); ++i)
            texts.push_back(page->Tabs()->tabText(i).toStdString());
        return texts;
    }
    // The still-play value a slot's dialog shows: each test channel stores its own id there.
    std::string stillPlay(int slot) const {
        CConfigItem* found = page->Dialog(slot)->List()->FindItem(IDS_STILL_PLAY_MODE);
        std::string text;
        if (found)
            found->GetValueText(text);
        return text;
    }
    void TearDown() override {
        page.reset();
        ChannelTest::TearDown();
    }

    std::unique_ptr<CChannelPage> page;
};

} // namespace

TEST_F(ChannelPageTest, EachChannelGetsATabNamedByItsIdAndADialog) {
    load(channelsDocument({{"0", "C1"}, {"1", "Studio B"}}));
    buildPage();
    EXPECT_EQ(tabTexts(), (std::vector<std::string>{"C1", "Studio B"}));
    EXPECT_EQ(page->ChannelCount(), 2);
    EXPECT_EQ(page->WizardButtons(), (QStringList({"Save", "Load", "Restore", "History"})));
    ASSERT_NE(page->Dialog(1), nullptr);
    EXPECT_EQ(stillPlay(1), "StillsStudio B");
    EXPECT_EQ(page->Dialog(2), nullptr);
    EXPECT_EQ(page->Dialog(3), nullptr);
}

TEST_F(ChannelPageTest, AFifthChannelIsLeftOut) {
    load(channelsDocument({{"0", "C1"}, {"1", "C2"}, {"2", "C3"}, {"3", "C4"}, {"4", "C5"}}));
    buildPage();
    EXPECT_EQ(tabTexts(), (std::vector<std::string>{"C1", "C2", "C3", "C4"}));
    EXPECT_EQ(page->ChannelCount(), 4);
}

TEST_F(ChannelPageTest, ATabShowsTheChannelItIsNamedAfterWhateverTheDocumentOrder) {
    load(channelsDocument({{"2", "C3"}, {"0", "C1"}, {"1", "C2"}}));
    buildPage();
    EXPECT_EQ(tabTexts(), (std::vector<std::string>{"C3", "C1", "C2"}));
    EXPECT_EQ(page->Dialog(0)->ChannelIndex(), 2);
    EXPECT_EQ(stillPlay(0), "StillsC3");
    EXPECT_EQ(stillPlay(1), "StillsC1");
    EXPECT_EQ(stillPlay(2), "StillsC2");
}

TEST_F(ChannelPageTest, AChannelWithoutAnIndexOfItsOwnShowsWhyInsteadOfAnotherChannel) {
    for (const char* index : {"x", "", "01", "0"}) {
        SCOPED_TRACE(index);
        load(channelsDocument({{"0", "C1"}, {index, "C2"}}));
        buildPage();
        ASSERT_EQ(page->ChannelCount(), 2);
        CConfigListCtrl* list = page->Dialog(1)->List();
        ASSERT_EQ(list->ItemCount(), 1u);
        EXPECT_EQ(list->ItemAt(0)->Label(), "Settings not shown: the channelIndex is not usable");
        EXPECT_EQ(stillPlay(0), "StillsC1");
    }
}

TEST_F(ChannelPageTest, ChoosingATabRelaysOutItsDialogBeforeShowingIt) {
    load(channelsDocument({{"0", "C1"}, {"1", "C2"}, {"2", "C3"}}));
    buildPage();
    page->show();
    RelayoutWatcher watcher;
    for (int slot = 0; slot < 3; ++slot)
        page->Dialog(slot)->installEventFilter(&watcher);

    page->SelectTab(0);
    EXPECT_TRUE(watcher.seen.empty());

    page->SelectTab(2);
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].first, page->Dialog(2));
    EXPECT_FALSE(watcher.seen[0].second);
    EXPECT_TRUE(page->Dialog(2)->isVisible());
    EXPECT_FALSE(page->Dialog(0)->isVisible());
    EXPECT_EQ(page->CurrentTab(), 2);

    page->SelectTab(2);
    EXPECT_EQ(watcher.seen.size(), 1u);
}

TEST_F(ChannelPageTest, ATabSizedWhileHiddenFillsThePageBelowTheTabs) {
    load(channelsDocument({{"0", "C0"}, {"1", "C1"}}));
    buildPage();
    page->resize(500, 400);
    page->show();
    page->resize(800, 600);
    page->SelectTab(1);
    QCoreApplication::processEvents();
    CChannelDlg* dialog = page->Dialog(1);
    EXPECT_EQ(dialog->geometry(),
              QRect(QPoint(0, page->Tabs()->geometry().bottom() + 1), QPoint(799, 599)));
    EXPECT_TRUE(dialog->rect().contains(dialog->ScrollButton()->geometry()));
    EXPECT_FALSE(dialog->List()->geometry().intersects(dialog->ScrollButton()->geometry()));
}

TEST_F(ChannelPageTest, APopupOpensOverTheRowThatWasTouched) {
    load(channelsDocument({{"0", "C1"}, {"1", "C2"}}));
    buildPage();
    page->move(100, 50);
    page->show();
    page->SelectTab(1);
    CConfigListCtrl* list = page->Dialog(1)->List();
    QImage image(list->size(), QImage::Format_ARGB32);
    list->render(&image);
    CConfigItem* stills = list->FindItem(IDS_STILL_PLAY_MODE);
    const QPoint value = stills->ValueRect().center();
    script.answer(0);
    touch(list, value);
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().kind, ScriptedPrompter::Kind::PopupMenu);
    EXPECT_EQ(script.last().position, list->mapToGlobal(value));
}

TEST_F(ChannelPageTest, AReplacedDocumentBuildsTheTabsAnew) {
    load(channelsDocument({{"0", "C1"}, {"1", "C2"}}));
    buildPage();
    page->SelectTab(1);
    load(channelsDocument({{"0", "North"}, {"1", "South"}, {"2", "East"}}));
    SendMessage(page.get(), WM_CONFIG_RELAYOUT, 0, 0);
    EXPECT_EQ(tabTexts(), (std::vector<std::string>{"North", "South", "East"}));
    EXPECT_EQ(page->CurrentTab(), 0);
    EXPECT_EQ(stillPlay(2), "StillsEast");

    // The same document again: the dialogs stay as they are.
    CChannelDlg* first = page->Dialog(0);
    SendMessage(page.get(), WM_CONFIG_RELAYOUT, 0, 0);
    EXPECT_EQ(page->Dialog(0), first);
}
