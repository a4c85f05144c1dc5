// Pictures of the sheet as a person sees it, drawn into the build folder; scripts/screenshots
// copies them into the documentation.

#include "SheetFixture.h"
#include "platform/StringIds.h"

#include <QDir>
#include <QImage>
#include <QPushButton>

TEST_F(SheetTest, ScreenshotOfTheSystemPage) {
    runAsAdmin([&](CTrellisDlg& sheet) {
        sheet.show();
        sheet.SystemPage()->List()->FindItem(IDS_REFERENCE_STANDARD)->SetSelected(true);
        sheet.SystemPage()->List()->UpdateStatusAll();
        QCoreApplication::processEvents();
        const QImage image = saveScreenshot(sheet, "sheet-system.png");
        EXPECT_EQ(image.size(), QSize(620, 460));
        sheet.CancelButton()->click();
    });
}
