#include "RemoteHostDlg.h"

#include "platform/Metrics.h"
#include "platform/Prompter.h"
#include "platform/TouchWidgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace {

constexpr std::size_t kMaxHostName = 255;
constexpr int kDialogLeft = 120;
constexpr int kWorkstationLeft = 78;
constexpr int kEditHeight = 25;
constexpr int kWorkstationEditHeight = 20;

bool isHostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == ':';
}

std::string hostNameRule(std::string_view name) {
    if (name.empty())
        return "Enter the host name.";
    return fmt::format("\"{}\" is not a valid host name. A host name may hold only letters, "
                       "digits, hyphens, dots, underscores and colons, at most {} characters.",
                       name, kMaxHostName);
}

std::string controllerIdRule(std::string_view id) {
    if (id.empty())
        return "Enter the controller id.";
    return fmt::format("\"{}\" is not a valid controller id. A controller id is a whole number "
                       "from 0 to 2147483647.",
                       id);
}

std::string trimmed(const std::string& text) {
    return QString::fromStdString(text).trimmed().toStdString();
}

} // namespace

CRemoteHostDlg::CRemoteHostDlg(const std::string& title, std::string hostName,
                               std::string controllerId, QWidget* owner)
    : QDialog(owner), m_title(title), m_hostName(std::move(hostName)),
      m_controllerId(std::move(controllerId)) {
    setWindowTitle(QString::fromStdString(title));
    const int width = FrmwkGetMetrics(METRIC_DIALOG_WIDTH);
    const int height = FrmwkGetMetrics(METRIC_DIALOG_HEIGHT);
    if (IsWorkstationMode())
        resize(width - 60, height - 2 * FrmwkGetMetrics(METRIC_CAPTION_HEIGHT));
    else
        resize(width, height);
    applyTouchBackground(this);

    m_hostLabel = new QLabel(QStringLiteral("Host name:"), this);
    m_controllerLabel = new QLabel(QStringLiteral("Controller id:"), this);
    for (QLabel* label : {m_hostLabel, m_controllerLabel})
        label->setFont(FrmwkGetFont(FONT_NORMAL));
    // The edits keep their own low height; a finger-high area around each, under it,
    // takes the touches that land just beside it.
    m_hostArea = makeTouchArea(this, [this] { EditHostName(); });
    m_controllerArea = makeTouchArea(this, [this] { EditControllerId(); });
    m_hostEdit = makeField(m_hostName, "HostNameEdit", [this] { EditHostName(); });
    m_controllerEdit =
        makeField(m_controllerId, "ControllerIdEdit", [this] { EditControllerId(); });

    // The fields have places of their own; the layout only keeps OK and Cancel at the bottom.
    auto* column = new QVBoxLayout(this);
    column->addWidget(makeCaptionHeading(this));
    column->addStretch();
    column->addLayout(makeOkCancelRow(this));
    placeFields();
}

QLineEdit* CRemoteHostDlg::makeField(const std::string& text, const char* name,
                                     std::function<void()> onTouch) {
    QLineEdit* edit = makeKeyboardField(this, std::move(onTouch));
    edit->setText(QString::fromStdString(text));
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

void CRemoteHostDlg::placeFields() {
    const bool workstation = IsWorkstationMode();
    const int margin = FrmwkGetMetrics(METRIC_MARGIN);
    const int buttonHeight = FrmwkGetMetrics(METRIC_BUTTON_HEIGHT);
    const int left = workstation ? kWorkstationLeft : kDialogLeft;
    const int editHeight = workstation ? kWorkstationEditHeight : kEditHeight;
    const int editWidth = width() - margin - left;
    const int hostTop = 2 * buttonHeight;
    const int controllerTop = hostTop + buttonHeight + editHeight;
    m_hostEdit->setGeometry(left, hostTop, editWidth, editHeight);
    m_controllerEdit->setGeometry(left, controllerTop, editWidth, editHeight);
    const int reach = std::max(0, TouchTargetHeight() - editHeight) / 2;
    m_hostArea->setGeometry(m_hostEdit->geometry().adjusted(0, -reach, 0, reach));
    m_controllerArea->setGeometry(m_controllerEdit->geometry().adjusted(0, -reach, 0, reach));
    m_hostLabel->setGeometry(margin, hostTop + 4, left - margin, editHeight);
    m_controllerLabel->setGeometry(margin, controllerTop + 4, left - margin, editHeight);
}

void CRemoteHostDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    placeFields();
}

void CRemoteHostDlg::EditHostName() {
    std::string text = m_hostName;
    if (prompter().keyboard(text, "Enter Host Name", this) != IDOK)
        return;
    text = trimmed(text);
    if (!IsValidHostName(text)) {
        refuse(hostNameRule(text));
        return;
    }
    m_hostName = text;
    m_hostEdit->setText(QString::fromStdString(text));
}

void CRemoteHostDlg::EditControllerId() {
    std::string text = m_controllerId;
    if (prompter().keypad(text, "Enter Controller Id", this, 0, 0) != IDOK)
        return;
    text = trimmed(text);
    if (!IsValidControllerId(text)) {
        refuse(controllerIdRule(text));
        return;
    }
    m_controllerId = text;
    m_controllerEdit->setText(QString::fromStdString(text));
}

bool CRemoteHostDlg::IsValidHostName(std::string_view name) {
    return !name.empty() && name.size() <= kMaxHostName &&
           std::all_of(name.begin(), name.end(), isHostCharacter);
}

bool CRemoteHostDlg::IsValidControllerId(std::string_view id) {
    if (id.empty() ||
        !std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), value);
    return error == std::errc() && end == id.data() + id.size();
}

void CRemoteHostDlg::accept() {
    // A row read from the file may hold anything; what is confirmed must be usable.
    if (!IsValidHostName(m_hostName)) {
        refuse(hostNameRule(m_hostName));
        return;
    }
    if (!IsValidControllerId(m_controllerId)) {
        refuse(controllerIdRule(m_controllerId));
        return;
    }
    QDialog::accept();
}

void CRemoteHostDlg::refuse(const std::string& text) {
    prompter().messageBox(text, m_title, MB_TOUCH_WARNING, this);
}
