#include "TouchMessageBox.h"

#include "Metrics.h"
#include "Prompter.h"
#include "TouchWidgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QStyle::StandardPixmap iconFor(std::uint32_t kind) {
    switch (kind) {
    case MB_TOUCH_QUESTION:
        return QStyle::SP_MessageBoxQuestion;
    case MB_TOUCH_ABORTRETRYIGNORE:
    case MB_TOUCH_WARNING:
        return QStyle::SP_MessageBoxWarning;
    case MB_TOUCH_INFORMATION:
        return QStyle::SP_MessageBoxInformation;
    default:
        return QStyle::SP_MessageBoxCritical;
    }
}

} // namespace

CTouchMessageBox::CTouchMessageBox(const QString& text, const QString& caption,
                                   std::uint32_t boxStyle, QWidget* parent)
    : QDialog(parent), m_style(boxStyle), m_text(text) {
    setWindowTitle(caption);
    applyTouchBackground(this);
    setStyleSheet(touchStyleSheet());
    auto* column = new QVBoxLayout(this);
    column->addWidget(makeCaptionHeading(this));

    auto* body = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("Icon"));
    const int iconSize = TouchTargetHeight();
    icon->setPixmap(style()->standardIcon(iconFor(MessageBoxKind(boxStyle))).pixmap(iconSize));
    icon->setAlignment(Qt::AlignTop);
    body->addWidget(icon);
    auto* message = new QLabel(text, this);
    message->setObjectName(QStringLiteral("Text"));
    message->setFont(FrmwkGetFont(FONT_NORMAL));
    message->setWordWrap(true);
    message->setTextFormat(Qt::PlainText);
    // A window does not grow to a wrapped text's height by itself: the text gets a width,
    // and the height its lines need at that width.
    const int margin = FrmwkGetMetrics(METRIC_MARGIN);
    const int textWidth = FrmwkGetMetrics(METRIC_DIALOG_WIDTH) - iconSize - 6 * margin;
    message->setFixedWidth(textWidth);
    message->setMinimumHeight(message->heightForWidth(textWidth));
    body->addWidget(message, 1);
    column->addLayout(body, 1);

    switch (MessageBoxKind(boxStyle)) {
    case MB_TOUCH_QUESTION:
        addButton(QStringLiteral("Yes"), IDYES);
        addButton(QStringLiteral("No"), IDNO);
        break;
    case MB_TOUCH_ABORTRETRYIGNORE:
        addButton(QStringLiteral("Abort"), IDABORT);
        addButton(QStringLiteral("Retry"), IDRETRY);
        addButton(QStringLiteral("Ignore"), IDIGNORE);
        break;
    default:
        addButton(QStringLiteral("OK"), IDOK);
        break;
    }
    // Enter answers with the default button: the first one unless the style names the second.
    const std::size_t defaultIndex = (boxStyle & MB_DEFBUTTON2) && m_buttons.size() > 1 ? 1 : 0;
    m_buttons[defaultIndex].first->setDefault(true);
    m_buttons[defaultIndex].first->setFocus();

    auto* row = new QHBoxLayout;
    row->addStretch();
    for (const auto& [button, result] : m_buttons)
        row->addWidget(button);
    column->addLayout(row);
}

void CTouchMessageBox::addButton(const QString& label, int result) {
    QPushButton* button = makeTouchButton(label, this);
    connect(button, &QPushButton::clicked, this, [this, result] {
        m_answer = result;
        accept();
    });
    m_buttons.emplace_back(button, result);
}

int CTouchMessageBox::Ask() {
    m_answer = 0;
    exec();
    // Closed without a button: the answer that changes nothing.
    return m_answer != 0 ? m_answer : DeclinedResult(m_style);
}

QString CTouchMessageBox::Text() const {
    return m_text;
}

std::vector<QPushButton*> CTouchMessageBox::Buttons() const {
    std::vector<QPushButton*> buttons;
    for (const auto& [button, result] : m_buttons)
        buttons.push_back(button);
    return buttons;
}

void CTouchMessageBox::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QPen(FrmwkGetColor(COLOR_SELECTION_EDGE), 2));
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
}
