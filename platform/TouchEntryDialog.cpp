#include "TouchEntryDialog.h"

#include "Metrics.h"
#include "TouchWidgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

const QStringList kLetterRows = {QStringLiteral("1234567890"), QStringLiteral("qwertyuiop"),
                                 QStringLiteral("asdfghjkl-"), QStringLiteral("zxcvbnm_.@")};
// The 32 printable symbols, in the usual order of a keyboard's upper row, then the
// brackets and the punctuation.
const QStringList kSymbolRows = {QStringLiteral("!@#$%^&*"), QStringLiteral("()-_=+[]"),
                                 QStringLiteral("{}\\|;:'\""), QStringLiteral(",./?<>`~")};
const QStringList kKeypadRows = {QStringLiteral("789"), QStringLiteral("456"),
                                 QStringLiteral("123"), QStringLiteral(":0.")};

const QString kShift = QStringLiteral("Shift");
const QString kSymbols = QStringLiteral("Symbols");
const QString kLetters = QStringLiteral("Letters");
const QString kSpace = QStringLiteral("Space");
const QString kBack = QStringLiteral("\u232B");
const QString kClear = QStringLiteral("Clear");
const char* const kCharacter = "character";

// Keys must not take the focus from the edit line, or typed keys would go to them. They are
// square, narrower than other buttons, so that a row of ten fits a small touch screen.
QPushButton* keyButton(const QString& text, QWidget* parent) {
    QPushButton* button = makeTouchButton(text, parent);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    button->setStyleSheet(QStringLiteral("min-width: %1px;").arg(TouchTargetHeight()));
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    return button;
}

// A button shows "&" only when it is doubled; a single one marks a shortcut.
QString keyLabel(const QString& character) {
    return character == QStringLiteral("&") ? QStringLiteral("&&") : character;
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
    m_layers = new QStackedWidget(this);
    column->addWidget(m_layers);
    if (layout == Layout::Keyboard) {
        m_layers->addWidget(addKeyLayer(kLetterRows));
        m_layers->addWidget(addKeyLayer(kSymbolRows));
    } else {
        m_layers->addWidget(addKeyLayer(kKeypadRows));
    }
    addControlKeys(layout);

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

QWidget* TouchEntryDialog::addKeyLayer(const QStringList& rows) {
    auto* layer = new QWidget(m_layers);
    auto* grid = new QGridLayout(layer);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int row = 0; row < rows.size(); ++row) {
        const QString& keys = rows[row];
        for (int column = 0; column < keys.size(); ++column) {
            const QString character = keys.mid(column, 1);
            QPushButton* button = addKey(keyLabel(character), layer);
            button->setProperty(kCharacter, character);
            if (character.front().isLetter())
                m_letterKeys.push_back(button);
            grid->addWidget(button, row, column);
        }
    }
    return layer;
}

void TouchEntryDialog::addControlKeys(Layout layout) {
    auto* line = new QHBoxLayout;
    if (layout == Layout::Keyboard) {
        m_shiftKey = addKey(kShift, this);
        m_shiftKey->setCheckable(true);
        m_layerKey = addKey(kSymbols, this);
        line->addWidget(m_shiftKey, 1);
        line->addWidget(m_layerKey, 1);
        line->addWidget(addKey(kSpace, this), 3);
    }
    // The keys take no width of their own: the stretch shares the line out.
    line->addWidget(addKey(kBack, this), 1);
    line->addWidget(addKey(kClear, this), 1);
    static_cast<QVBoxLayout*>(this->layout())->addLayout(line);
}

QPushButton* TouchEntryDialog::addKey(const QString& label, QWidget* parent) {
    QPushButton* button = keyButton(label, parent);
    connect(button, &QPushButton::clicked, this, [this, button] {
        const QVariant character = button->property(kCharacter);
        press(character.isValid() ? character.toString() : button->text());
    });
    return button;
}

void TouchEntryDialog::press(const QString& key) {
    if (key == kShift) {
        setShift(!m_shift);
    } else if (key == kSymbols || key == kLetters) {
        switchLayer();
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

void TouchEntryDialog::setShift(bool on) {
    m_shift = on;
    m_shiftKey->setChecked(on);
    // The letter keys show what they type.
    for (QPushButton* key : m_letterKeys) {
        const QString character = key->property(kCharacter).toString();
        key->setText(on ? character.toUpper() : character);
    }
}

void TouchEntryDialog::switchLayer() {
    const bool toSymbols = m_layers->currentIndex() == 0;
    m_layers->setCurrentIndex(toSymbols ? 1 : 0);
    m_layerKey->setText(toSymbols ? kLetters : kSymbols);
}
