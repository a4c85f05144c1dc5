#pragma once
// The main configuration sheet: logs on when it is first shown and keeps the configuration
// state alive for its whole run. Its pages come with their own pieces.

#include <QDialog>

#include <memory>

class CConfigState;

class CTrellisDlg : public QDialog {
    Q_OBJECT
public:
    CTrellisDlg(const QString& caption, QSize size, QWidget* parent = nullptr);
    ~CTrellisDlg() override;

    CConfigState* GetConfigState() const { return m_state.get(); }

protected:
    bool event(QEvent* event) override;

private:
    // Connects and logs on; a refused logon closes the sheet.
    long OnStartup();

    std::unique_ptr<CConfigState> m_state;
};
