#include "AudioTagsDlg.h"

#include "platform/Metrics.h"
#include "platform/Prompter.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/TouchWidgets.h"
#include "platform/XmlDocument.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <fmt/printf.h>

#include <sstream>

namespace {

constexpr std::size_t kTagLimit = 16;
constexpr const char* kTypeTag = "<Type a tag...>";

std::string noTag() {
    return LoadString(IDS_NO_AUDIO_TAG);
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

} // namespace

CAudioTracksListCtrl::CAudioTracksListCtrl(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CAudioTracksListCtrl"));
    setAutoFillBackground(true);
    applyTouchBackground(this);
    m_column = new QVBoxLayout(this);
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(0);
    m_column->addStretch();
}

void CAudioTracksListCtrl::AddRow(int index, const std::string& label, const std::string& first,
                                  const std::string& second, bool playSilence) {
    auto* line = new QWidget(this);
    line->setMinimumHeight(FrmwkGetMetrics(METRIC_TRACK_ROW_HEIGHT));
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(11, 0, 4, 0);
    auto* name = new QLabel(QString::fromStdString(label), line);
    name->setFont(FrmwkGetFont(FONT_NORMAL));
    name->setFixedWidth(50);
    layout->addWidget(name);

    Row row;
    row.index = index;
    const std::string texts[2] = {first.empty() ? noTag() : first,
                                  second.empty() ? noTag() : second};
    for (int i = 0; i < (m_input ? 1 : 2); ++i) {
        // A tag cell: blue, underlined, as wide as a finger needs.
        auto* cell = new QPushButton(QString::fromStdString(texts[i]), line);
        cell->setFlat(true);
        cell->setFont(FrmwkGetFont(FONT_NORMAL));
        cell->setFixedSize(150, FrmwkGetMetrics(METRIC_TRACK_ROW_HEIGHT) - 4);
        // Every cell as wide as the next, so the columns line up under their headings.
        cell->setStyleSheet(
            QStringLiteral("QPushButton { color: #0000ff; text-decoration: underline;"
                           " text-align: left; padding-left: 6px; min-width: 140px;"
                           " max-width: 140px; }"));
        connect(cell, &QPushButton::clicked, this, [this, cell] { editCell(cell); });
        layout->addWidget(cell);
        row.cells[i] = cell;
        row.initial[i] = texts[i];
    }
    if (!m_input) {
        row.playSilence = new QCheckBox(line);
        row.playSilence->setChecked(playSilence);
        row.playSilence->setStyleSheet(
            QStringLiteral("QCheckBox::indicator { width: %1px; height: %1px; }")
                .arg(FrmwkGetMetrics(METRIC_CHECKBOX_SIZE)));
        row.initialSilence = playSilence;
        layout->addSpacing(30);
        layout->addWidget(row.playSilence);
    }
    layout->addStretch();

    // Rows stay in track order, whatever order they come in.
    std::size_t at = 0;
    while (at < m_rows.size() && m_rows[at].index < index)
        ++at;
    m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(at), row);
    m_column->insertWidget(static_cast<int>(at), line);
}

const CAudioTracksListCtrl::Row* CAudioTracksListCtrl::row(int index) const {
    for (const Row& each : m_rows) {
        if (each.index == index)
            return &each;
    }
    return nullptr;
}

std::string CAudioTracksListCtrl::cellText(const QPushButton* cell) {
    if (!cell)
        return {};
    const std::string text = cell->text().toStdString();
    return text == noTag() ? std::string() : text;
}

CAudioTracksListCtrl::Tags CAudioTracksListCtrl::GetRow(int index) const {
    const Row* found = row(index);
    if (!found)
        return {};
    return {cellText(found->cells[0]), cellText(found->cells[1]),
            found->playSilence && found->playSilence->isChecked()};
}

QPushButton* CAudioTracksListCtrl::Cell(int index, bool second) const {
    const Row* found = row(index);
    return found ? found->cells[second ? 1 : 0] : nullptr;
}

QCheckBox* CAudioTracksListCtrl::PlaySilenceBox(int index) const {
    const Row* found = row(index);
    return found ? found->playSilence : nullptr;
}

bool CAudioTracksListCtrl::IsModified() const {
    for (const Row& each : m_rows) {
        if (each.playSilence && each.playSilence->isChecked() != each.initialSilence)
            return true;
    }
    return m_modified;
}

std::vector<std::string> CAudioTracksListCtrl::Offers() const {
    std::vector<std::string> offers = {noTag(), ""};
    offers.insert(offers.end(), m_existing.begin(), m_existing.end());
    offers.push_back("");
    std::istringstream codes(LoadString(IDS_LANGUAGE_CODES));
    for (std::string code; codes >> code;)
        offers.push_back(code);
    offers.push_back("");
    offers.push_back(kTypeTag);
    return offers;
}

void CAudioTracksListCtrl::editCell(QPushButton* cell) {
    const std::vector<std::string> offers = Offers();
    const std::string current = cell->text().toStdString();
    std::vector<MenuEntry> menu;
    for (std::size_t i = 0; i < offers.size(); ++i) {
        if (offers[i].empty())
            menu.push_back(MenuEntry{});
        else
            menu.push_back(
                MenuEntry{static_cast<int>(i + 1), offers[i], offers[i] == current, true});
    }
    // The list opens over the touched cell.
    const int command = prompter().popupMenu(menu, cell->mapToGlobal(QPoint(0, 0)), this);
    if (command <= 0 || command > static_cast<int>(offers.size()))
        return;
    std::string chosen = offers[static_cast<std::size_t>(command - 1)];
    if (chosen == kTypeTag) {
        std::string typed = current == noTag() ? std::string() : current;
        if (prompter().keyboard(typed, "Audio Tag", this) != IDOK)
            return;
        if (QString::fromStdString(typed).size() > static_cast<int>(kTagLimit)) {
            prompter().messageBox(
                fmt::sprintf("A tag is at most %d characters long.", static_cast<int>(kTagLimit)),
                "Audio Tag", MB_TOUCH_WARNING, this);
            return;
        }
        chosen = typed.empty() ? noTag() : typed;
    }
    if (chosen == current)
        return; // the same tag again is no change
    cell->setText(QString::fromStdString(chosen));
    m_modified = true;
}

CAudioTagsDlg::CAudioTagsDlg(int channelIndex, bool input, QWidget* owner)
    : QDialog(owner), m_channelIndex(channelIndex), m_input(input) {
    setWindowTitle(QString::fromStdString(
        LoadString(input ? IDS_AUDIO_INPUT_TAGS_CAPTION : IDS_AUDIO_OUTPUT_TAGS_CAPTION)));
    applyTouchBackground(this);
    setStyleSheet(touchStyleSheet());
    resize(input ? QSize(330, 440) : QSize(540, 460));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 8, 4, 4);
    column->addWidget(makeCaptionHeading(this));
    if (!input) {
        // Headings over the two tag columns and the play-silence boxes.
        auto* headings = new QHBoxLayout;
        headings->setContentsMargins(75, 0, 4, 0);
        for (int label : {IDS_PRIMARY, IDS_SECONDARY}) {
            auto* heading = new QLabel(QString::fromStdString(LoadString(label)), this);
            heading->setFont(FrmwkGetFont(FONT_HEADING));
            heading->setFixedWidth(150);
            headings->addWidget(heading);
        }
        auto* silence = new QLabel(QString::fromStdString(LoadString(IDS_PLAY_SILENCE) + "\n" +
                                                          LoadString(IDS_IF_NO_TAG_FOUND)),
                                   this);
        silence->setFont(FrmwkGetFont(FONT_SMALL));
        headings->addWidget(silence);
        headings->addStretch();
        column->addLayout(headings);
    }
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    applyTouchBackground(scroll->viewport());
    m_tracks = new CAudioTracksListCtrl(scroll);
    m_tracks->SetMode(input);
    scroll->setWidget(m_tracks);
    column->addWidget(scroll, 1);
    column->addLayout(makeOkCancelRow(this));

    CTraceScope scope("CAudioTagsDlg::OnInitDialog");
    scope.Run([&] {
        std::shared_ptr<XmlDocument> document;
        CConfigState().GetConfigDocument(document);
        if (!document)
            scope.RaiseComError(E_POINTER);
        std::vector<std::string> existing;
        SetExistingAudioTags(*document, existing);
        m_tracks->SetExistingTags(std::move(existing));
        int index = -1;
        for (const XmlNode& component : document->documentNode().selectNodes(componentsPath())) {
            ++index;
            // A track the channel does not use (its audio slot unassigned) has no tags to set.
            if (component.parent().attribute("assigned") == "false")
                continue;
            const std::string label = "A" + std::to_string(index + 1);
            if (input)
                m_tracks->AddRow(index, label, component.attribute("tag"), "", false);
            else
                m_tracks->AddRow(index, label, component.attribute("primaryTag"),
                                 component.attribute("secondaryTag"),
                                 component.attribute("playSilence") == "true");
        }
    });
}

std::string CAudioTagsDlg::componentsPath() const {
    return fmt::sprintf("//Channel[@channelIndex=\"%d\"]/Audio/%s", m_channelIndex,
                        m_input ? "AudioInputComponent" : "AudioOutputComponent");
}

void CAudioTagsDlg::SetExistingAudioTags(const XmlDocument& document,
                                         std::vector<std::string>& tags) {
    const auto add = [&](const std::string& tag) {
        if (tag.empty())
            return;
        for (const std::string& known : tags) {
            if (sameIgnoringCase(known, tag))
                return;
        }
        tags.push_back(tag);
    };
    const XmlNode root = document.documentNode();
    for (const XmlNode& input : root.selectNodes("//AudioInputComponent"))
        add(input.attribute("tag"));
    for (const XmlNode& output : root.selectNodes("//AudioOutputComponent")) {
        add(output.attribute("primaryTag"));
        add(output.attribute("secondaryTag"));
    }
}

void CAudioTagsDlg::accept() {
    if (!m_tracks->IsModified()) {
        reject(); // nothing to write, nothing to tell the page
        return;
    }
    CTraceScope scope("AudioTagsDlg");
    const HRESULT written = scope.Run([&] {
        std::shared_ptr<XmlDocument> document;
        CConfigState().GetConfigDocument(document);
        if (!document)
            scope.RaiseComError(E_POINTER);
        XmlNodeList components;
        scope.Check(document->documentNode().selectNodes(componentsPath(), components));
        // A track without the attribute gets it: a chosen tag is never dropped unseen.
        for (std::size_t i = 0; i < components.size(); ++i) {
            // Tracks not listed keep their tags.
            if (!m_tracks->HasRow(static_cast<int>(i)))
                continue;
            const CAudioTracksListCtrl::Tags tags = m_tracks->GetRow(static_cast<int>(i));
            const XmlNode& component = components[i];
            if (m_input) {
                component.setAttribute("tag", tags.first);
                continue;
            }
            // Without tags there is nothing to find, so nothing to play silence for.
            const bool silence = tags.playSilence && !(tags.first.empty() && tags.second.empty());
            component.setAttribute("primaryTag", tags.first);
            component.setAttribute("secondaryTag", tags.second);
            component.setAttribute("playSilence", silence ? "true" : "false");
        }
    });
    if (FAILED(written)) {
        prompter().messageBox(scope.FailureText(), windowTitle().toStdString(), MB_TOUCH_ERROR,
                              this);
        reject();
        return;
    }
    QDialog::accept();
}
