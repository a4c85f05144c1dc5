#include "app/FullScreen.h"
#include "app/InterfaceScale.h"
#include "app/SheetPlacement.h"
#include "app/TrellisDlg.h"
#include "support/ScopedEnv.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

TEST(InterfaceScale, TakesANumberFromHalfToFour) {
    for (const auto& [value, factor] :
         {std::pair{"1.5", 1.5}, {"0.5", 0.5}, {"4", 4.0}, {" 1.25 ", 1.25}, {"", 1.0}}) {
        EXPECT_DOUBLE_EQ(ParseInterfaceScale(value).factor, factor) << value;
        // An empty value, as an unset one, asks for nothing and is no error.
        EXPECT_EQ(ParseInterfaceScale(value).refusal, "") << value;
    }
}

TEST(InterfaceScale, RefusesAnythingElseAndSaysWhy) {
    for (const char* bad :
         {"0.49", "4.01", "0", "-1.5", "1,5", "large", "1.5x", "nan", "inf", "150%"}) {
        const InterfaceScale scale = ParseInterfaceScale(bad);
        EXPECT_DOUBLE_EQ(scale.factor, 1.0) << bad;
        EXPECT_EQ(scale.refusal, "TRELLIS_SCALE=\"" + std::string(bad) +
                                     "\" is not a number from 0.5 to 4 (such as 1.5); the "
                                     "interface is shown at its normal size.");
    }
}

TEST(InterfaceScale, AGoodValueBecomesQtsScaleFactorAndABadOneChangesNothing) {
    {
        const ScopedEnv asked("TRELLIS_SCALE", "1.5");
        const ScopedEnv qt("QT_SCALE_FACTOR", "3");
        EXPECT_EQ(ApplyInterfaceScale(), "");
        EXPECT_EQ(qgetenv("QT_SCALE_FACTOR"), "1.5");
    }
    const ScopedEnv asked("TRELLIS_SCALE", "huge");
    const ScopedEnv qt("QT_SCALE_FACTOR", std::nullopt);
    EXPECT_NE(ApplyInterfaceScale().find("TRELLIS_SCALE=\"huge\""), std::string::npos);
    EXPECT_FALSE(qEnvironmentVariableIsSet("QT_SCALE_FACTOR"));
}

TEST(InterfaceScale, IsLoweredToTheLargestAtWhichTheSheetFits) {
    const QSize sheet(620, 460);
    // 800 x 600 measured at scale 2.
    EXPECT_DOUBLE_EQ(FittedScale(2.0, sheet, QSize(400, 300)), 1.29);
    EXPECT_DOUBLE_EQ(FittedScale(1.5, sheet, QSize(1280, 1024)), 1.5);
    // An exact fit is kept, not rounded below.
    EXPECT_DOUBLE_EQ(FittedScale(2.0, sheet, QSize(465, 345)), 1.5);
    // Never below the smallest scale, nor above the one asked for.
    EXPECT_DOUBLE_EQ(FittedScale(2.0, sheet, QSize(100, 80)), 0.5);
    EXPECT_DOUBLE_EQ(FittedScale(0.4, sheet, QSize(100, 80)), 0.4);
}

namespace {

struct ProbeRun {
    QString errors;
    QString scale;
    QRect screen;
    QRect ok;
};

// Starts the utility's start-up on an 800 x 600 screen with the TRELLIS_SCALE given.
ProbeRun runProbe(const QString& scale) {
    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("screen.json")));
    EXPECT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(R"({"screens": [{"name": "touch", "width": 800, "height": 600}]})");
    config.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TRELLIS_SCALE"), scale);
    environment.remove(QStringLiteral("QT_SCALE_FACTOR"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"),
                       QStringLiteral("offscreen:configfile=") + config.fileName());
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.start(QStringLiteral(SCALE_PROBE), {});
    EXPECT_TRUE(probe.waitForFinished(30000));
    EXPECT_EQ(probe.exitCode(), 0);
    ProbeRun run;
    run.errors = QString::fromUtf8(probe.readAllStandardError());
    const QString out = QString::fromUtf8(probe.readAllStandardOutput());
    const auto rect = [&out](const char* name) {
        const QRegularExpressionMatch match =
            QRegularExpression(
                QStringLiteral("%1 (-?\\d+) (-?\\d+) (\\d+) (\\d+)").arg(QLatin1String(name)))
                .match(out);
        return QRect(match.captured(1).toInt(), match.captured(2).toInt(),
                     match.captured(3).toInt(), match.captured(4).toInt());
    };
    run.scale = QRegularExpression(QStringLiteral("scale (\\S+)")).match(out).captured(1);
    run.screen = rect("screen");
    run.ok = rect("ok");
    return run;
}

} // namespace

TEST(InterfaceScale, AScaleTooLargeForTheScreenIsFittedSaysSoAndKeepsOkOnTheScreen) {
    const ProbeRun fitted = runProbe(QStringLiteral("2"));
    EXPECT_EQ(fitted.scale, "1.29");
    EXPECT_TRUE(fitted.errors.contains(
        "trellis: TRELLIS_SCALE=2 makes the sheet 1240 x 920 pixels, larger than the screen's "
        "free area; the interface is shown at scale 1.29 instead, the largest at which it "
        "fits.\n"))
        << fitted.errors.toStdString();
    EXPECT_EQ(fitted.errors.count("trellis:"), 1);
    ASSERT_FALSE(fitted.ok.isEmpty());
    EXPECT_TRUE(fitted.screen.contains(fitted.ok)) << fitted.ok.bottom();

    // A scale that fits is kept, without a word.
    const ProbeRun kept = runProbe(QStringLiteral("1.25"));
    EXPECT_EQ(kept.scale, "1.25");
    EXPECT_FALSE(kept.errors.contains("trellis:")) << kept.errors.toStdString();
    EXPECT_TRUE(kept.screen.contains(kept.ok));
}

TEST(FullScreen, TakesOneOrZeroAndRefusesAnythingElse) {
    EXPECT_TRUE(ParseFullScreen("1").on);
    for (const char* off : {"", "0"}) {
        EXPECT_FALSE(ParseFullScreen(off).on) << off;
        EXPECT_EQ(ParseFullScreen(off).refusal, "") << off;
    }
    for (const char* bad : {"yes", "true", "2", " 1", "on"}) {
        EXPECT_FALSE(ParseFullScreen(bad).on) << bad;
        EXPECT_EQ(ParseFullScreen(bad).refusal,
                  "TRELLIS_FULLSCREEN=\"" + std::string(bad) +
                      "\" is neither 1 nor 0; the sheet is shown on its own, without covering "
                      "the screen.");
    }
}

TEST(FullScreen, TheBackdropCoversTheScreenBelowTheSheet) {
    const std::unique_ptr<QWidget> backdrop = ShowFullScreenBackdrop();
    ASSERT_TRUE(backdrop);
    EXPECT_TRUE(backdrop->isVisible());
    EXPECT_TRUE(backdrop->isFullScreen());
    // The platform applies the state as it handles the window's events.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    for (int round = 0; round < 50 && backdrop->geometry() != screen; ++round)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(backdrop->geometry(), screen);
    EXPECT_TRUE(backdrop->windowFlags().testFlag(Qt::WindowStaysOnBottomHint));
    EXPECT_TRUE(backdrop->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_EQ(backdrop->palette().color(QPalette::Window), QColor(Qt::black));
}

TEST(SheetPlacement, CentresOnTheAvailableAreaOrStartsAtItsEdge) {
    const QSize sheet(620, 460);
    // A screen larger than the sheet, then one with a panel taking its top and left.
    EXPECT_EQ(CentredPosition(QRect(0, 0, 1920, 1080), sheet), QPoint(650, 310));
    EXPECT_EQ(CentredPosition(QRect(40, 30, 1240, 930), sheet), QPoint(350, 265));
    // A second screen to the right of the first.
    EXPECT_EQ(CentredPosition(QRect(1920, 0, 1280, 1024), sheet), QPoint(2250, 282));
    // Exactly the sheet's size.
    EXPECT_EQ(CentredPosition(QRect(0, 0, 620, 460), sheet), QPoint(0, 0));
    // Smaller than the sheet: its top-left corner.
    EXPECT_EQ(CentredPosition(QRect(10, 20, 600, 400), sheet), QPoint(10, 20));
    // Smaller in one direction only: centred along the other.
    EXPECT_EQ(CentredPosition(QRect(0, 0, 1024, 400), sheet), QPoint(202, 0));
    EXPECT_EQ(CentredPosition(QRect(0, 0, 600, 768), sheet), QPoint(0, 154));
}

TEST(SheetPlacement, TheSheetIsShownInTheMiddleOfItsScreen) {
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    // The offscreen platform's screen is larger than the sheet.
    ASSERT_GT(available.width(), 620);
    ASSERT_GT(available.height(), 460);
    CTrellisDlg sheet("Configuration for test", QSize(620, 460));
    // Wherever it was before, as Qt leaves a moved window where it was put.
    sheet.move(available.topLeft());
    sheet.show();
    // The two centres meet, to the pixel that halving an odd size loses.
    const QPoint offset = sheet.frameGeometry().center() - available.center();
    EXPECT_LE(std::abs(offset.x()), 1) << offset.x();
    EXPECT_LE(std::abs(offset.y()), 1) << offset.y();
    EXPECT_TRUE(available.contains(sheet.frameGeometry()));
    sheet.hide();
}

TEST(SheetPlacement, ADialogLargerThanTheScreenIsShrunkToIt) {
    CDialogScreenFit fit;
    qApp->installEventFilter(&fit);
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QDialog dialog;
    dialog.resize(available.size() + QSize(400, 300));
    dialog.show();
    EXPECT_TRUE(available.contains(dialog.frameGeometry())) << dialog.frameGeometry().bottom();
    dialog.hide();
    qApp->removeEventFilter(&fit);
}
