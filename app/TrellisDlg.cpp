#include "TrellisDlg.h"

#include "platform/Metrics.h"
#include "platform/TouchWidgets.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

CTrellisDlg::CTrellisDlg(const QString& caption, QSize size, QWidget* parent) : QDialog(parent) {
    setWindowTitle(caption);
    resize(size);
    QPalette background = palette();
    background.setColor(QPalette::Window, FrmwkGetColor(COLOR_BACKGROUND));
    setPalette(background);
    auto* column = new QVBoxLayout(this);
    column->addStretch();
    column->addLayout(makeOkCancelRow(this));
}
