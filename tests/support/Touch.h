#pragma once
// Touches as a finger gives them, and text entered the way a user enters it on a touch
// screen: a touch on the field, then the on-screen keyboard.

#include "support/ScriptedPrompter.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <optional>
#include <string>

// Pressed and lifted at a point of the widget, by default its centre.
inline void touch(QWidget* widget, std::optional<QPointF> point = std::nullopt) {
    const QPointF at = point.value_or(QRectF(widget->rect()).center());
    const QPointF global = widget->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

// Touches the field and answers the keyboard it opens with the text and OK. The keyboard's
// question is then forgotten, so what the test looks at next is only what follows.
inline void enterText(ScriptedPrompter& script, QWidget* field, const std::string& text) {
    ASSERT_EQ(script.pending(), 0u) << "answers already queued would answer the keyboard";
    script.answerText(IDOK, text);
    touch(field);
    ASSERT_EQ(script.pending(), 0u) << "the touch opened no keyboard";
    script.clear();
}
