#pragma once
// A touch progress dialog: a message and a sweeping bar. Its position and its closing may
// be asked for from another thread; they happen on the dialog's own thread.

#include <QDialog>

class QLabel;
class QProgressBar;

class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    CProgressDlg(const QString& text, const QString& caption, QWidget* parent = nullptr);

    void SetRange(int minimum, int maximum);
    void SetSweepColor(const QColor& color);
    // Safe from any thread.
    void SetPos(int position);
    void Close();

    int Position() const;
    QString Text() const;

protected:
    // The dialog ends only when told to: Escape or the window's close do nothing.
    void reject() override {}

private:
    QLabel* m_text = nullptr;
    QProgressBar* m_bar = nullptr;
};
