#include "TouchWidgets.h"

#include "Metrics.h"

#include <QAbstractScrollArea>
#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

QPushButton* makeTouchButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setFont(FrmwkGetFont(FONT_NORMAL));
    button->setMinimumSize(TouchTargetHeight(), TouchTargetHeight());
    return button;
}

QLineEdit* makeTouchEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setFont(FrmwkGetFont(FONT_NORMAL));
    edit->setMinimumHeight(TouchTargetHeight());
    return edit;
}

namespace {

// Calls its action when the watched field is touched, that is when the finger lifts.
class TouchAction : public QObject {
public:
    TouchAction(QObject* parent, std::function<void()> action)
        : QObject(parent), m_action(std::move(action)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonRelease)
            return QObject::eventFilter(watched, event);
        if (m_action)
            m_action();
        return true;
    }

private:
    std::function<void()> m_action;
};

// Keeps a label's text equal to its window's title.
class TitleFollower : public QObject {
public:
    TitleFollower(QWidget* window, QLabel* label) : QObject(label), m_label(label) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowTitleChange)
            m_label->setText(static_cast<QWidget*>(watched)->windowTitle());
        return QObject::eventFilter(watched, event);
    }

private:
    QLabel* m_label;
};

} // namespace

QLineEdit* makeKeyboardField(QWidget* parent, std::function<void()> onTouch) {
    auto* edit = new QLineEdit(parent);
    edit->setFont(FrmwkGetFont(FONT_NORMAL));
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, FrmwkGetColor(COLOR_BACKGROUND));
    edit->setPalette(palette);
    openOnTouch(edit, std::move(onTouch));
    return edit;
}

void openOnTouch(QWidget* widget, std::function<void()> onTouch) {
    widget->installEventFilter(new TouchAction(widget, std::move(onTouch)));
}

QWidget* makeTouchArea(QWidget* parent, std::function<void()> onTouch) {
    auto* area = new QWidget(parent);
    openOnTouch(area, std::move(onTouch));
    return area;
}

void maskAsSecret(QLineEdit* edit) {
    edit->setEchoMode(QLineEdit::Password);
    edit->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText);
}

QHBoxLayout* makeOkCancelRow(QDialog* dialog) {
    auto* row = new QHBoxLayout;
    QPushButton* ok = makeTouchButton(QStringLiteral("OK"), dialog);
    QPushButton* cancel = makeTouchButton(QStringLiteral("Cancel"), dialog);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

QLabel* makeNoteLabel(QWidget* parent, const QString& objectName) {
    auto* note = new QLabel(parent);
    note->setObjectName(objectName);
    note->setFont(FrmwkGetFont(FONT_SMALL));
    note->setWordWrap(true);
    note->hide();
    return note;
}

void showNote(QLabel* note, const QString& text) {
    note->setText(text);
    note->setVisible(!text.isEmpty());
}

void makeScrollBarWide(QAbstractScrollArea* area) {
    area->verticalScrollBar()->setStyleSheet(QStringLiteral("QScrollBar:vertical { width: %1px; }")
                                                 .arg(FrmwkGetMetrics(METRIC_ROW_HEIGHT)));
}

QString headingStyleSheet() {
    return QStringLiteral("QLabel { color: %1; background: %2; padding: 4px %3px; }")
        .arg(FrmwkGetColor(COLOR_TEXT_SELECTED).name(), FrmwkGetColor(COLOR_SELECTION).name())
        .arg(FrmwkGetMetrics(METRIC_MARGIN));
}

QLabel* makeCaptionHeading(QWidget* window) {
    auto* heading = new QLabel(window->windowTitle(), window);
    heading->setObjectName(QStringLiteral("Caption"));
    heading->setFont(FrmwkGetFont(FONT_HEADING));
    heading->setStyleSheet(headingStyleSheet());
    heading->setWordWrap(true);
    new TitleFollower(window, heading);
    return heading;
}

void applyTouchBackground(QWidget* widget) {
    QPalette background = widget->palette();
    background.setColor(QPalette::Window, FrmwkGetColor(COLOR_BACKGROUND));
    widget->setPalette(background);
}

QString touchStyleSheet() {
    const int height = TouchTargetHeight();
    return QStringLiteral("QPushButton { min-height: %1px; min-width: %2px; font-size: 16px; }"
                          "QLabel { font-size: 16px; }"
                          "QMenu { font-size: 16px; }"
                          "QMenu::item { padding: %3px 32px %3px 32px; }")
        .arg(height)
        .arg(2 * height)
        .arg((height - 20) / 2);
}
