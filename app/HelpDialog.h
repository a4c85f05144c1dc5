#pragma once
// The help page shown inside the program, as a touch dialog with a wide scroll bar and a
// Close button: a touch screen has no browser to hand it to.

#include <QDialog>
#include <QUrl>

class QTextBrowser;

class CHelpDialog : public QDialog {
    Q_OBJECT
public:
    explicit CHelpDialog(const QUrl& page, QWidget* parent = nullptr);

    // Whether the page could be read.
    bool Loaded() const { return m_loaded; }
    QTextBrowser* Browser() const { return m_browser; }

private:
    QTextBrowser* m_browser = nullptr;
    bool m_loaded = false;
};
