#pragma once
// The touch dialog that adds or modifies one remote host: the host name, typed on the
// on-screen keyboard, and the controller id, typed on the keypad. A touch on a field opens
// its entry; an entry that is not a host name or a controller id is refused with a message
// and the field keeps its text. OK needs both fields.

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QLineEdit;

class CRemoteHostDlg : public QDialog {
    Q_OBJECT
public:
    // title is "Add Host" or "Modify Host".
    CRemoteHostDlg(const std::string& title, std::string hostName, std::string controllerId,
                   QWidget* owner = nullptr);

    const std::string& HostName() const { return m_hostName; }
    const std::string& ControllerId() const { return m_controllerId; }
    QLineEdit* HostEdit() const { return m_hostEdit; }
    QLineEdit* ControllerEdit() const { return m_controllerEdit; }

    // What a touch on each field does.
    void EditHostName();
    void EditControllerId();

    // Letters, digits, hyphens, dots, underscores and (for IPv6 addresses) colons, at most
    // 255 of them.
    static bool IsValidHostName(std::string_view name);
    // A whole number from 0 to 2147483647, digits only.
    static bool IsValidControllerId(std::string_view id);

    void accept() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLineEdit* makeField(const std::string& text, const char* name, std::function<void()> onTouch);
    void placeFields();
    // Tells the user why an entry was refused.
    void refuse(const std::string& text);

    std::string m_title;
    std::string m_hostName;
    std::string m_controllerId;
    QLabel* m_hostLabel = nullptr;
    QLabel* m_controllerLabel = nullptr;
    QLineEdit* m_hostEdit = nullptr;
    QLineEdit* m_controllerEdit = nullptr;
    QWidget* m_hostArea = nullptr;
    QWidget* m_controllerArea = nullptr;
};
