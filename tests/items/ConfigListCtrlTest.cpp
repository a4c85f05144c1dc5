#include "items/ConfigListCtrl.h"
#include "ItemFixture.h"
#include "items/ConfigChoiceItem.h"
#include "items/ConfigPairItem.h"
#include "items/ConfigTextItems.h"
#include "platform/Metrics.h"
#include "platform/StringIds.h"
#include "platform/TouchScrollButtons.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QToolButton>

#include <set>

namespace {

const std::string kFirstAssigned = "//Channel[@channelIndex=\"0\"]/Audio[@index=\"1\"]/@assigned";

class ListTest : public ItemTest {
protected:
    void SetUp() override {
        ItemTest::SetUp();
        list.SetScrollButtons(&buttons);
        list.show(); // a shown list builds its rows at every size change
    }
    // Ten rows of text items labelled "Item 0" to "Item 9"; the odd ones only show while
    // audio track 1 is assigned.
    void fill() {
        list.SetFrozen(true);
        for (int i = 0; i < 10; ++i) {
            auto* item =
                new CConfigTextItem("Item " + std::to_string(i), "", "", ITEM_UNBOUND, &page);
            if (i % 2)
                item->ShowIf(kFirstAssigned, Variant("true"));
            list.AddItem(item);
        }
        list.SetFrozen(false);
    }
    void setAssigned1(const char* value) {
        document->documentNode().selectSingleNode(kFirstAssigned).setValue(value);
    }
    // The reference standard row, laid out.
    CConfigChoiceItem* addReferenceStandard() {
        auto* item =
            new CConfigChoiceItem(IDS_REFERENCE_STANDARD, "./Config/System/SystemVideoReference",
                                  "referenceStandard", 0, &page);
        item->AddChoice(IDS_NTSC_59_94_HZ, Variant("Format525_29_97Hz_2To1"));
        item->AddChoice(IDS_PAL_50_HZ, Variant("Format625_25Hz_2To1"));
        list.AddItem(item);
        list.Relayout(true);
        return item;
    }
    std::string top() const { return list.RowItem(0) ? list.RowItem(0)->Label() : "(empty)"; }
    void send(QEvent::Type type, QPoint point, Qt::MouseButton button = Qt::LeftButton) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton
                                      : type == QEvent::MouseMove        ? Qt::LeftButton
                                                                         : button;
        QMouseEvent event(type, point, list.mapToGlobal(point),
                          type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
        QApplication::sendEvent(&list, &event);
    }
    // Pressed and lifted where it was pressed.
    void click(QPoint point, Qt::MouseButton button = Qt::LeftButton, bool twice = false) {
        send(twice ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress, point, button);
        send(QEvent::MouseButtonRelease, point, button);
    }

    CConfigListCtrl list;
    CTouchScrollBtn buttons;
};

} // namespace

TEST_F(ListTest, OnlyWholeRowsCountAndAListLowerThanARowOpensNothing) {
    const int h = CConfigListCtrl::RowHeight();
    list.resize(300, 3 * h + h / 2);
    EXPECT_EQ(list.RowCount(), 3);
    list.resize(300, h - 1);
    EXPECT_EQ(list.RowCount(), 0);
    fill();
    click(QPoint(10, 5));
    EXPECT_TRUE(script.questions().empty());
}

TEST_F(ListTest, MoreRowsThanItemsLeavesRowsEmptyAndDownDisabled) {
    list.resize(300, 12 * CConfigListCtrl::RowHeight());
    fill(); // five visible
    EXPECT_EQ(list.VisibleCount(), 5);
    EXPECT_EQ(list.RowItem(4)->Label(), "Item 8");
    EXPECT_EQ(list.RowItem(5), nullptr);
    EXPECT_FALSE(buttons.IsButtonEnabled(0));
    EXPECT_FALSE(buttons.IsButtonEnabled(1));
    EXPECT_EQ(buttons.PositionBar()->ShownFrom(), 0.0); // all of it fits
    EXPECT_EQ(buttons.PositionBar()->ShownTo(), 1.0);
}

TEST_F(ListTest, ScrollingAndClampingWhenItemsHide) {
    setAssigned1("true");
    list.resize(300, 3 * CConfigListCtrl::RowHeight());
    fill();
    EXPECT_EQ(list.VisibleCount(), 10);
    EXPECT_TRUE(buttons.IsButtonEnabled(1));
    EXPECT_DOUBLE_EQ(buttons.PositionBar()->ShownTo(), 0.3); // three rows of ten items
    for (int i = 0; i < 9; ++i)
        buttons.Press(1);
    EXPECT_EQ(list.First(), 7); // clamped to the last full page
    EXPECT_DOUBLE_EQ(buttons.PositionBar()->ShownFrom(), 0.7);
    EXPECT_DOUBLE_EQ(buttons.PositionBar()->ShownTo(), 1.0);
    EXPECT_EQ(top(), "Item 7");
    EXPECT_TRUE(buttons.IsButtonEnabled(0));
    EXPECT_FALSE(buttons.IsButtonEnabled(1));

    // Hiding the odd items leaves first past the end: the last visible item goes on top.
    setAssigned1("false");
    list.Relayout(true);
    EXPECT_EQ(list.VisibleCount(), 5);
    EXPECT_EQ(list.First(), 4);
    EXPECT_EQ(top(), "Item 8");
    EXPECT_EQ(list.RowItem(1), nullptr);
    list.Scroll(SB_LINEDOWN);
    EXPECT_EQ(list.First(), 2);
    EXPECT_EQ(top(), "Item 4");
    list.Scroll(SB_LINEUP);
    EXPECT_EQ(top(), "Item 2");
}

TEST_F(ListTest, KeysAndWheelScroll) {
    setAssigned1("true");
    list.resize(300, 3 * CConfigListCtrl::RowHeight());
    fill();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(&list, &down);
    EXPECT_EQ(list.First(), 1);
    QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
    QApplication::sendEvent(&list, &end);
    EXPECT_EQ(list.First(), 7);
    QWheelEvent wheel(QPointF(5, 5), list.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 240),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&list, &wheel);
    EXPECT_EQ(list.First(), 5);
}

TEST_F(ListTest, AFrozenListIgnoresRelayout) {
    list.resize(300, 3 * CConfigListCtrl::RowHeight());
    list.SetFrozen(true);
    list.AddItem(new CConfigTextItem("Heading", "", "", ITEM_UNBOUND, &page));
    EXPECT_FALSE(list.Relayout(true));
    EXPECT_EQ(list.RowItem(0), nullptr);
    list.SetFrozen(false);
    EXPECT_EQ(top(), "Heading");
}

TEST_F(ListTest, FindInsertAndRemove) {
    list.resize(300, 5 * CConfigListCtrl::RowHeight());
    list.AddItem(new CConfigTextItem(IDS_REFERENCE_STANDARD, "", "", ITEM_UNBOUND, &page));
    list.AddItem(new CConfigTextItem("Texted", "", "", ITEM_UNBOUND, &page));
    POSITION position = nullptr;
    EXPECT_EQ(list.FindItem(-1, &position)->Label(), "Texted");
    EXPECT_NE(position, nullptr);
    EXPECT_EQ(list.FindItem(999, &position), nullptr);
    EXPECT_EQ(position, nullptr);

    list.FindItem(IDS_REFERENCE_STANDARD, &position);
    list.InsertItemAfter(position, new CConfigTextItem("After", "", "", ITEM_UNBOUND, &page));
    list.InsertItemBefore(position, new CConfigTextItem("Before", "", "", ITEM_UNBOUND, &page));
    list.Relayout(false);
    EXPECT_EQ(top(), "Before");
    EXPECT_EQ(list.RowItem(2)->Label(), "After");

    std::unique_ptr<CConfigItem> removed(list.RemoveItem(position, true));
    ASSERT_NE(removed, nullptr);
    EXPECT_EQ(removed->Label(), "Reference standard:"); // alive for the caller
    EXPECT_EQ(list.ItemCount(), 3u);
    EXPECT_EQ(list.RowItem(1)->Label(), "After");
}

TEST_F(ListTest, ATouchOnTheValueSelectsAndOpensTheItem) {
    list.resize(600, 3 * CConfigListCtrl::RowHeight());
    CConfigChoiceItem* item = addReferenceStandard();
    list.grab(); // paints, which places the value

    const QRect row = list.RowRect(0);
    click(QPoint(row.left() + 5, row.center().y())); // on the label
    EXPECT_FALSE(item->IsSelected());
    EXPECT_TRUE(script.questions().empty());

    const QPoint onValue = item->ValueRect().center();
    for (auto button : {Qt::LeftButton, Qt::RightButton}) {
        script.answer(0);
        click(onValue, button);
    }
    script.answer(0);
    click(onValue, Qt::LeftButton, true);
    EXPECT_EQ(script.questions().size(), 3u);
    EXPECT_TRUE(item->IsSelected());

    // Past the end of the value's text, up to the row's end, is the value too.
    const QPoint pastText(row.right() - 2, row.center().y());
    ASSERT_GT(pastText.x(), item->ValueRect().right() + 20);
    script.answer(0);
    click(pastText);
    EXPECT_EQ(script.questions().size(), 4u);
}

TEST_F(ListTest, ASwipeScrollsAndOpensNoMenuATapOpensIt) {
    list.resize(600, 3 * CConfigListCtrl::RowHeight());
    std::vector<CConfigChoiceItem*> items;
    for (int i = 0; i < 8; ++i)
        items.push_back(addReferenceStandard());
    list.grab();
    const int h = CConfigListCtrl::RowHeight();
    const QPoint start = items[2]->ValueRect().center(); // the bottom row
    send(QEvent::MouseButtonPress, start);
    for (int step = 1; step <= 8; ++step)
        send(QEvent::MouseMove, start - QPoint(0, step * h / 4));
    send(QEvent::MouseButtonRelease, start - QPoint(0, 2 * h));
    EXPECT_EQ(list.First(), 2);
    EXPECT_TRUE(script.questions().empty());
    EXPECT_FALSE(items[2]->IsSelected());

    // A finger that trembles by a pixel or two still taps.
    list.grab();
    script.answer(0);
    send(QEvent::MouseButtonPress, start);
    send(QEvent::MouseMove, start + QPoint(1, 1));
    send(QEvent::MouseButtonRelease, start + QPoint(1, 1));
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().kind, ScriptedPrompter::Kind::PopupMenu);
    EXPECT_TRUE(list.RowItem(2)->IsSelected());
    EXPECT_EQ(list.First(), 2);
}

TEST_F(ListTest, HoldingTheDownButtonRepeatsAndATapStepsOnce) {
    setAssigned1("true");
    list.resize(300, 3 * CConfigListCtrl::RowHeight());
    fill();
    buttons.show();
    auto* down = buttons.findChild<QToolButton*>(QStringLiteral("ScrollDown"));
    ASSERT_NE(down, nullptr);
    const auto button = [down](QEvent::Type type) {
        const QPointF at = QRectF(down->rect()).center();
        QMouseEvent event(type, at, down->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(down, &event);
    };
    button(QEvent::MouseButtonPress);
    button(QEvent::MouseButtonRelease);
    EXPECT_EQ(list.First(), 1);
    button(QEvent::MouseButtonPress);
    QElapsedTimer held;
    held.start();
    while (held.elapsed() < 900)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    button(QEvent::MouseButtonRelease);
    EXPECT_GT(list.First(), 2);
}

TEST_F(ListTest, APairRowIsHitAnywhere) {
    list.resize(600, 3 * CConfigListCtrl::RowHeight());
    auto* first = new CConfigPairItem("studio-a", "12", 0, &page);
    auto* second = new CConfigPairItem("studio-b", "14", 0, &page);
    list.AddItem(first);
    list.AddItem(second);
    list.Relayout(true);
    click(list.RowRect(1).topLeft() + QPoint(2, 2));
    EXPECT_TRUE(second->IsSelected());
    click(list.RowRect(0).center());
    EXPECT_TRUE(first->IsSelected());
    EXPECT_FALSE(second->IsSelected());
    EXPECT_TRUE(script.questions().empty());
}

TEST_F(ListTest, AnEmptyChoiceCanStillBeTouchedToSetIt) {
    list.resize(600, 3 * CConfigListCtrl::RowHeight());
    document->documentNode()
        .selectSingleNode("//SystemAudioReference/@audioUnityLevel")
        .setValue("");
    auto* item =
        new CConfigChoiceItem(IDS_AUDIO_REFERENCE_LEVEL, "./Config/System/SystemAudioReference",
                              "audioUnityLevel", 0, &page);
    item->AddChoice(IDS_0_DBU, Variant(std::int32_t{0}));
    item->AddChoice(IDS_PLUS_4_DBU, Variant(std::int32_t{4}));
    auto* heading = new CConfigTextItem(IDS_AUDIO_REFERENCE, "", "", ITEM_UNBOUND, &page);
    list.AddItem(item);
    list.AddItem(heading);
    list.Relayout(true);
    list.grab();

    // Past the label of the empty choice: the menu opens and the choice is written.
    script.answer(2);
    click(QPoint(list.RowRect(0).right() - 20, list.RowRect(0).center().y()));
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().kind, ScriptedPrompter::Kind::PopupMenu);
    EXPECT_EQ(read("//SystemAudioReference/@audioUnityLevel"), "4");
    // A heading offers nothing, and an empty place on its row is not a value.
    click(QPoint(list.RowRect(1).right() - 20, list.RowRect(1).center().y()));
    EXPECT_EQ(script.questions().size(), 1u);
}

TEST_F(ListTest, AReadOnlyViewDrawsValuesDimAndRefusesTouches) {
    list.resize(600, 2 * CConfigListCtrl::RowHeight());
    CConfigChoiceItem* item = addReferenceStandard();

    const auto valueColours = [&] {
        const QImage image = list.grab().toImage();
        std::set<QRgb> colours;
        const QRect value = item->ValueRect();
        for (int x = value.left(); x <= value.right(); ++x) {
            for (int y = value.top(); y <= value.bottom(); ++y)
                colours.insert(image.pixelColor(x, y).rgb());
        }
        return colours;
    };
    EXPECT_TRUE(valueColours().count(QColor(0, 0, 255).rgb()));
    // The selected row's value is purple.
    item->SetSelected(true);
    EXPECT_TRUE(valueColours().count(QColor(128, 0, 128).rgb()));
    item->SetSelected(false);

    state.SetLogonFlags(true, false);
    const std::set<QRgb> dim = valueColours();
    EXPECT_FALSE(dim.count(QColor(0, 0, 255).rgb()));
    EXPECT_TRUE(dim.count(FrmwkGetColor(COLOR_TEXT_DIM).rgb()));

    click(item->ValueRect().center());
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().text, "You are not authorized to change configuration settings.");
    EXPECT_EQ(script.last().caption, "Security");
    EXPECT_EQ(script.last().style, MB_TOUCH_WARNING);
    EXPECT_EQ(read("//SystemVideoReference/@referenceStandard"), "Format525_29_97Hz_2To1");
    EXPECT_TRUE(page.delivered().empty());
}

TEST_F(ListTest, APopupOpensOverTheTouchedRowWhereverTheListSitsInItsOwner) {
    page.move(400, 300);
    list.move(20, 90);
    list.resize(300, 3 * CConfigListCtrl::RowHeight());
    CConfigChoiceItem* standard = addReferenceStandard();
    QImage image(list.size(), QImage::Format_ARGB32);
    list.render(&image);
    const QPoint value = standard->ValueRect().center();
    script.answer(0);
    click(value);
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().position, list.mapToGlobal(value));
}
