#pragma once
// The main configuration sheet. Until its pages exist it is an empty sheet with its
// caption and OK and Cancel.

#include <QDialog>

class CTrellisDlg : public QDialog {
    Q_OBJECT
public:
    CTrellisDlg(const QString& caption, QSize size, QWidget* parent = nullptr);
};
