#include "TouchEntryDialog.h"

#include "Metrics.h"
#include "TouchWidgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QStringList kKeyboardRows = {QStringLiteral("1234567890"), QStringLiteral("qwertyuiop"),
                                   QStringLiteral("asdfghjkl-"), QStringLiteral("zxcvbnm_.@")};
const QStringList kKeypadRows = {QStringLiteral("789"), QStringLiteral("456"),
                                 QStringLiteral("123"), QStringLiteral(":0.")};

const QString kShift = QStringLiteral("Shift");
const QString kSpace = QStringLiteral("Space");
const QString kBack = QStringLiteral("\u232B");
const QString kClear = QStringLiteral("Clear");

// Keys must not take the focus from the edit line, or typed keys would go to them. They are
// square, narrower than other buttons, so that a row of ten fits a small touch screen.
QPushButton* keyButton(const QString& text, QWidget* parent) {
    QPushButton* button = makeTouchButton(text, parent);
    button->setFocusPolicy(Qt::NoFocus);
    button->setStyleSheet(QStringLiteral("min-width: %1px;").arg(TouchTargetHeight()));
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    return button;
}

} // namespace

TouchEntryDialog::TouchEntryDialog(Layout layout, const QString& title, const QString& text,
                                   QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(title);
    auto* column = new QVBoxLayout(this);
    column->addWidget(makeCaptionHeading(this));
    m_edit = new QLineEdit(text, this);
    m_edit->setFont(FrmwkGetFont(FONT_HEADING));
    m_edit->setMinimumHeight(TouchTargetHeight());
    column->addWidget(m_edit);
    addKeys(layout);

    column->addLayout(makeOkCancelRow(this));
    m_edit->setFocus();
    m_edit->selectAll();
}

QString TouchEntryDialog::text() const {
    return m_edit->text();
}

void TouchEntryDialog::HideText() {
    maskAsSecret(m_edit);
}

void TouchEntryDialog::addKeys(Layout layout) {
    auto* grid = new QGridLayout;
    const QStringList& rows = layout == Layout::Keyboard ? kKeyboardRows : kKeypadRows;
    int row = 0;
    for (const QString& keys : rows) {
        for (int column = 0; column < keys.size(); ++column) {
            const QString key = keys.mid(column, 1);
            QPushButton* button = keyButton(key, this);
            connect(button, &QPushButton::clicked, this, [this, key] { press(key); });
            grid->addWidget(button, row, column);
        }
        ++row;
    }
    const QStringList extras = layout == Layout::Keyboard
                                   ? QStringList{kShift, kSpace, kBack, kClear}
                                   : QStringList{kBack, kClear};
    const int span = layout == Layout::Keyboard ? 10 : 3;
    auto* line = new QHBoxLayout;
    for (const QString& key : extras) {
        QPushButton* button = keyButton(key, this);
        if (key == kShift)
            button->setCheckable(true);
        connect(button, &QPushButton::clicked, this, [this, key] { press(key); });
        line->addWidget(button, key == kSpace ? 3 : 1);
    }
    grid->addLayout(line, row, 0, 1, span);
    static_cast<QVBoxLayout*>(this->layout())->addLayout(grid);
}

void TouchEntryDialog::press(const QString& key) {
    if (key == kShift) {
        m_shift = !m_shift;
    } else if (key == kSpace) {
        m_edit->insert(QStringLiteral(" "));
    } else if (key == kBack) {
        m_edit->backspace();
    } else if (key == kClear) {
        m_edit->clear();
    } else {
        m_edit->insert(m_shift ? key.toUpper() : key);
    }
}
