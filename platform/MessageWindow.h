#pragma once
// A widget that takes the program's window messages: each one sent or posted to it goes
// to OnConfigMessage, whose answer SendMessage returns.

#include "WindowMessages.h"

#include <QWidget>

class CMessageWindow : public QWidget {
    Q_OBJECT
public:
    explicit CMessageWindow(QWidget* parent = nullptr) : QWidget(parent) {}

protected:
    virtual LRESULT OnConfigMessage(unsigned message, WPARAM wParam, LPARAM lParam);
    bool event(QEvent* event) override;
};
