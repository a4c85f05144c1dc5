#pragma once
// A touch progress dialog: a message and a sweeping bar. Its position and its closing may
// be asked for from another thread: the request is left in an atomic, and the dialog's own
// thread takes it up on a short timer, so that no Qt object is touched across threads.

#include <QDialog>

#include <atomic>

class QLabel;
class QProgressBar;

class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    CProgressDlg(const QString& text, const QString& caption, QWidget* parent = nullptr);

    void SetRange(int minimum, int maximum);
    void SetSweepColor(const QColor& color);
    // Safe from any thread; done on the dialog's thread within one tick of its timer.
    void SetPos(int position);
    void Close();
    // How often the dialog takes up the requests (milliseconds).
    static constexpr int kRequestTickMs = 40;

    int Position() const;
    QString Text() const;

protected:
    // The dialog ends only when told to: Escape or the window's close do nothing.
    void reject() override {}
    void timerEvent(QTimerEvent* event) override;

private:
    static constexpr int kNoPosition = -1;

    QLabel* m_text = nullptr;
    QProgressBar* m_bar = nullptr;
    std::atomic<int> m_requestedPosition{kNoPosition};
    std::atomic<bool> m_closeRequested{false};
    int m_requestTimer = 0;
};
