// Starts as the utility does (TRELLIS_SCALE fitted to the screen), shows the sheet without
// logging on, and prints the scale Qt uses, the screen's free area and the OK button's
// place on it, for the fitting test to check.

#include "app/InterfaceScale.h"
#include "app/SheetPlacement.h"
#include "app/TrellisDlg.h"

#include <QPushButton>
#include <QScreen>

#include <cstdio>

int main(int argc, char* argv[]) {
    ApplyInterfaceScale();
    const std::unique_ptr<QApplication> application =
        MakeApplicationFittingScreen(argc, argv, kSheetDesignSize);
    CDialogScreenFit fit;
    application->installEventFilter(&fit);
    CTrellisDlg sheet(QStringLiteral("Configuration for probe"), kSheetDesignSize);
    sheet.show();
    const QScreen* screen = sheet.screen();
    const QRect free = screen->availableGeometry();
    const QPushButton* ok = sheet.OkButton();
    const QRect okPlace(ok->mapToGlobal(QPoint(0, 0)), ok->size());
    std::printf("scale %.2f\nscreen %d %d %d %d\nok %d %d %d %d\n", screen->devicePixelRatio(),
                free.x(), free.y(), free.width(), free.height(), okPlace.x(), okPlace.y(),
                okPlace.width(), okPlace.height());
    return 0;
}
