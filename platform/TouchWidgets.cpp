#include "TouchWidgets.h"

#include "Metrics.h"

#include <QLineEdit>
#include <QPushButton>

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

QString touchStyleSheet() {
    const int height = TouchTargetHeight();
    return QStringLiteral("QPushButton { min-height: %1px; min-width: %2px; font-size: 16px; }"
                          "QMenu { font-size: 16px; }"
                          "QMenu::item { padding: %3px 32px %3px 32px; }")
        .arg(height)
        .arg(2 * height)
        .arg((height - 20) / 2);
}
