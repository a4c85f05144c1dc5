// Random changes through the rows of every channel of the default documents: after each
// one the document is still a configuration the server takes, every row shows a value it
// offers, and no other channel's elements moved.

#include "ChannelFixture.h"

#include "channel/AudioTagsDlg.h"
#include "channel/VbiLinesDlg.h"
#include "items/ConfigChoiceItem.h"
#include "items/ConfigSliderItem.h"
#include "server/embedded/ConfigRules.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QPushButton>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <sstream>

namespace {

constexpr int kChangesPerDocument = 300;

std::uint32_t propertySeed() {
    // TRELLIS_PROPERTY_SEED repeats a reported run.
    if (const char* given = std::getenv("TRELLIS_PROPERTY_SEED"))
        return static_cast<std::uint32_t>(std::strtoul(given, nullptr, 10));
    return 20261206;
}

// Answers every question at random, as a user poking at the screen would, and writes down
// what it answered so that a failure can be replayed by reading.
class RandomPrompter : public Prompter {
public:
    explicit RandomPrompter(std::uint32_t seed) : m_random(seed) {}

    std::mt19937& random() { return m_random; }
    int below(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }
    std::string takeRecord() { return std::exchange(m_record, {}); }
    const std::vector<std::string>& errors() const { return m_errors; }
    void clearErrors() { m_errors.clear(); }

    // While probing, a popup menu is read and closed unanswered.
    bool probing = false;
    std::vector<std::string> lastMenu;

    int messageBox(const std::string& text, const std::string& caption, std::uint32_t style,
                   QObject*) override {
        note("message \"" + caption + "\": " + text);
        if (MessageBoxKind(style) == MB_TOUCH_ERROR && !refusesTypedText(text))
            m_errors.push_back(caption + ": " + text);
        if (MessageBoxKind(style) == MB_TOUCH_QUESTION)
            return below(2) == 0 ? IDYES : IDNO;
        return DeclinedResult(style) == IDABORT ? IDIGNORE : IDOK;
    }

    int popupMenu(const std::vector<MenuEntry>& entries, QPoint, QObject*) override {
        lastMenu.clear();
        std::vector<const MenuEntry*> choosable;
        for (const MenuEntry& entry : entries) {
            if (entry.isSeparator())
                continue;
            lastMenu.push_back(entry.text);
            if (entry.enabled)
                choosable.push_back(&entry);
        }
        if (probing || choosable.empty())
            return 0;
        const MenuEntry& chosen = *choosable[below(static_cast<int>(choosable.size()))];
        note("menu: " + chosen.text);
        return chosen.id;
    }

    int keyboard(std::string& text, const std::string& title, QObject*) override {
        static const char* const typed[] = {
            "", "ENG", "fra", "Commentary", "a<b>&\"'", "Seventeen chars!!", "  spaced  "};
        text = typed[below(std::size(typed))];
        note("keyboard \"" + title + "\": " + text);
        return IDOK;
    }

    int secretKeyboard(std::string&, const std::string&, QObject*) override {
        note("unexpected secret keyboard");
        m_errors.push_back("a channel row asked for a secret");
        return IDCANCEL;
    }

    int keypad(std::string& text, const std::string& title, QObject*, int, int) override {
        text = std::to_string(below(200) - 50);
        note("keypad \"" + title + "\": " + text);
        return IDOK;
    }

    LogonAnswer logon(const std::string&, const std::string&, QObject*) override {
        note("unexpected logon");
        m_errors.push_back("a channel row asked for a logon");
        return {};
    }

    FileAnswer fileDialog(FileDialogKind, const std::string&, const std::string&,
                          QObject*) override {
        note("unexpected file dialog");
        m_errors.push_back("a channel row asked for a file");
        return {};
    }

    int runDialog(QDialog& dialog) override {
        if (auto* slider = dynamic_cast<CConfigSliderDlg*>(&dialog))
            return moveSlider(*slider);
        if (auto* lines = dynamic_cast<CVbiLinesDlg*>(&dialog))
            return touchLines(*lines);
        if (auto* tags = dynamic_cast<CAudioTagsDlg*>(&dialog))
            return editTags(*tags);
        m_errors.push_back("an unknown dialog \"" + dialog.windowTitle().toStdString() + "\"");
        return IDCANCEL;
    }

private:
    static bool refusesTypedText(const std::string& text) {
        return text == "A tag is at most 16 characters long.";
    }

    void note(const std::string& line) { m_record += "    " + line + "\n"; }

    int moveSlider(CConfigSliderDlg& slider) {
        switch (below(4)) {
        case 0:
            slider.RestoreDefault();
            break;
        case 1:
            slider.StepUp();
            break;
        case 2:
            slider.StepDown();
            break;
        default:
            // A slider position counts from the minimum.
            slider.MoveTo(below(slider.Maximum() - slider.Minimum() + 1));
        }
        note("slider to " + slider.Current().toText());
        return IDOK;
    }

    int touchLines(CVbiLinesDlg& lines) {
        std::vector<QPushButton*> buttons;
        for (QPushButton* button : lines.findChildren<QPushButton*>())
            if (button->isCheckable())
                buttons.push_back(button);
        for (int touches = 1 + below(4); touches > 0 && !buttons.empty(); --touches) {
            QPushButton* button = buttons[below(static_cast<int>(buttons.size()))];
            note("line button " + button->text().toStdString());
            button->click();
        }
        return IDOK;
    }

    int editTags(CAudioTagsDlg& tags) {
        const auto cells = tags.Tracks().findChildren<QPushButton*>();
        const auto boxes = tags.Tracks().findChildren<QCheckBox*>();
        for (int touches = 1 + below(3); touches > 0; --touches) {
            if (!boxes.empty() && below(4) == 0) {
                QCheckBox* box = boxes[below(static_cast<int>(boxes.size()))];
                note("play silence box");
                box->click();
            } else if (!cells.empty()) {
                note("tag cell");
                cells[below(static_cast<int>(cells.size()))]->click();
            }
        }
        tags.accept();
        return tags.result();
    }

    std::mt19937 m_random;
    std::string m_record;
    std::vector<std::string> m_errors;
};

} // namespace

class ChannelChangesPropertyTest : public ChannelTest {
protected:
    void TearDown() override {
        dialogs.clear();
        ChannelTest::TearDown();
    }

    // One dialog per channel element, as the Channel page makes them.
    void buildAll() {
        dialogs.clear();
        channelSlots.clear();
        for (const XmlNode& channel : document->documentNode().selectNodes("//Channel")) {
            auto each = std::make_unique<CChannelDlg>();
            each->resize(640, 2000);
            each->Create(ChannelSlot(channel).value_or(-1), channel.attribute("id"), nullptr);
            each->show();
            channelSlots.push_back(ChannelSlot(channel).value_or(-1));
            dialogs.push_back(std::move(each));
        }
    }

    static std::vector<CConfigItem*> touchable(CChannelDlg& channel) {
        std::vector<CConfigItem*> result;
        CConfigListCtrl* list = channel.List();
        for (std::size_t i = 0; i < list->ItemCount(); ++i) {
            CConfigItem* each = list->ItemAt(i);
            if (each->IsVisible() && each->OffersChange())
                result.push_back(each);
        }
        return result;
    }

    // Half the time one of the rows whose change rewrites others, each label alike; else a
    // kind of row first, so that the few VBI and tag rows are touched as often as the many
    // menus.
    static CConfigItem* pickRow(RandomPrompter& random, const std::vector<CConfigItem*>& rows) {
        std::map<int, std::vector<CConfigItem*>> ruled;
        std::map<std::string, std::vector<CConfigItem*>> byKind;
        for (CConfigItem* each : rows) {
            byKind[typeid(*each).name()].push_back(each);
            if (CChannelDlg::HasChangeRule(each->GetLabelId()))
                ruled[each->GetLabelId()].push_back(each);
        }
        const auto any = [&](const auto& groups) {
            const auto& group =
                std::next(groups.begin(), random.below(static_cast<int>(groups.size())))->second;
            return group[random.below(static_cast<int>(group.size()))];
        };
        if (!ruled.empty() && random.below(2) == 0)
            return any(ruled);
        return byKind.empty() ? nullptr : any(byKind);
    }

    // What is wrong with a row's value, or empty.
    static std::string misfit(CConfigItem& each, RandomPrompter& random) {
        std::string text;
        each.GetValueText(text);
        if (dynamic_cast<CConfigChoiceItem*>(&each)) {
            random.probing = true;
            each.TrackPopup(QPoint(1, 1));
            random.probing = false;
            const auto& offered = random.lastMenu;
            if (std::find(offered.begin(), offered.end(), text) == offered.end())
                return "shows \"" + text + "\", which its menu does not offer";
        } else if (auto* slider = dynamic_cast<CConfigSliderItem*>(&each)) {
            Variant value;
            each.GetAttributeValue(value);
            std::int32_t number = 0;
            if (FAILED(value.toInt32(number)))
                return "holds \"" + value.toText() + "\", not a number";
            if (number < slider->Dialog().Minimum() || number > slider->Dialog().Maximum())
                return "holds " + value.toText() + ", outside " +
                       std::to_string(slider->Dialog().Minimum()) + " to " +
                       std::to_string(slider->Dialog().Maximum());
        }
        return {};
    }

    // Problems after a change made on the channel of the slot.
    std::vector<std::string> check(RandomPrompter& random, const ChannelParts& before,
                                   int changedSlot) {
        std::vector<std::string> problems;
        std::string reason;
        const std::string text = document->xml();
        if (!IsUsableConfiguration(text, reason))
            problems.push_back("the server refuses the document: " + reason);
        for (int slot : ChangedChannels(before, ChannelPartsOf(*document)))
            if (slot != changedSlot)
                problems.push_back("channel slot " + std::to_string(slot) + " changed");
        for (const std::string& error : random.errors())
            problems.push_back("error shown: " + error);
        random.clearErrors();
        for (std::size_t d = 0; d < dialogs.size(); ++d) {
            for (CConfigItem* each : touchable(*dialogs[d])) {
                const std::string wrong = misfit(*each, random);
                if (!wrong.empty())
                    problems.push_back("slot " + std::to_string(channelSlots[d]) + " row \"" +
                                       each->Label() + "\" " + wrong);
            }
        }
        random.takeRecord(); // the probes are not changes
        return problems;
    }

    std::vector<std::unique_ptr<CChannelDlg>> dialogs;
    std::vector<int> channelSlots;
};

TEST_F(ChannelChangesPropertyTest, RandomChangesKeepEveryDefaultDocumentWholeAndChannelsApart) {
    const std::uint32_t seed = propertySeed();
    for (const std::string& standard : ReferenceStandards()) {
        SCOPED_TRACE(standard);
        load(DefaultConfigurationText(standard));
        // The logon tells the professional host (and with it the tag rows) by this element.
        state.SetProPanel(
            !document->documentNode().selectSingleNode("/Config/Panel/CorvanePro").isNull());
        RandomPrompter random(seed);
        installPrompter(&random);
        const std::unique_ptr<ScriptedPrompter, void (*)(ScriptedPrompter*)> restore(
            &script, [](ScriptedPrompter* scripted) { scripted->install(); });
        buildAll();
        ASSERT_FALSE(dialogs.empty());

        std::ostringstream sequence;
        std::set<std::string> kindsChanged;
        std::vector<std::string> problems = check(random, ChannelPartsOf(*document), -1);
        for (int step = 0; step < kChangesPerDocument && problems.empty(); ++step) {
            const int d = random.below(static_cast<int>(dialogs.size()));
            CConfigItem* row = pickRow(random, touchable(*dialogs[d]));
            if (!row)
                continue;
            const ChannelParts before = ChannelPartsOf(*document);
            sequence << step << ": slot " << channelSlots[d] << " \"" << row->Label() << "\"\n";
            if (row->TrackPopup(QPoint(1, 1)))
                kindsChanged.insert(typeid(*row).name());
            QCoreApplication::sendPostedEvents();
            sequence << random.takeRecord();
            problems = check(random, before, channelSlots[d]);
        }
        if (!problems.empty()) {
            std::ostringstream all;
            for (const std::string& problem : problems)
                all << "  " << problem << "\n";
            ADD_FAILURE() << "seed " << seed << " (TRELLIS_PROPERTY_SEED repeats it), " << standard
                          << ", changes:\n"
                          << sequence.str() << "after the last change:\n"
                          << all.str();
            return;
        }
        // Choices, sliders, VBI lines and tags were all changed at least once.
        EXPECT_GE(kindsChanged.size(), 4u) << sequence.str();
    }
}
