#include "InterfaceScale.h"

#include <QLocale>
#include <QScreen>
#include <QtGlobal>

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr const char* kVariable = "TRELLIS_SCALE";
constexpr double kSmallest = 0.5;
constexpr double kLargest = 4.0;

// The scale Qt is about to apply: QT_SCALE_FACTOR, as TRELLIS_SCALE or the user set it.
double scaleInEffect() {
    bool ok = false;
    const double factor = qgetenv("QT_SCALE_FACTOR").toDouble(&ok);
    return ok && factor > 0 ? factor : 1.0;
}

// Which setting asked for the scale, for the notice.
std::string scaleSource(double asked) {
    const QByteArray trellis = qgetenv(kVariable);
    if (!trellis.isEmpty() && ParseInterfaceScale(trellis).refusal.empty())
        return fmt::format("{}={}", kVariable, trellis.trimmed().toStdString());
    if (!qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR"))
        return fmt::format("QT_SCALE_FACTOR={}", asked);
    return "The normal size (scale 1)";
}

} // namespace

InterfaceScale ParseInterfaceScale(const QByteArray& value) {
    if (value.isEmpty())
        return {};
    // The C locale: "1.5" means the same whatever language the machine is set to, and
    // "1,5" is not taken for fifteen.
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double factor = c.toDouble(QString::fromUtf8(value), &ok);
    // Written so that a value that is not a number (NaN) fails too.
    if (ok && factor >= kSmallest && factor <= kLargest)
        return {factor, {}};
    return {1.0, fmt::format("{}=\"{}\" is not a number from {} to {} (such as 1.5); the "
                             "interface is shown at its normal size.",
                             kVariable, value.toStdString(), kSmallest, kLargest)};
}

std::string ApplyInterfaceScale() {
    const InterfaceScale scale = ParseInterfaceScale(qgetenv(kVariable));
    if (!scale.refusal.empty())
        return scale.refusal;
    if (!qEnvironmentVariableIsEmpty(kVariable))
        qputenv("QT_SCALE_FACTOR", QByteArray::number(scale.factor));
    return {};
}

double FittedScale(double asked, QSize design, QSize available) {
    const double ratio = std::min(static_cast<double>(available.width()) / design.width(),
                                  static_cast<double>(available.height()) / design.height());
    if (ratio >= 1.0)
        return asked;
    // The small addition keeps an exact fit such as 1.25 from being rounded down to 1.24.
    const double fitted = std::floor(asked * ratio * 100.0 + 1e-9) / 100.0;
    return std::min(asked, std::max(kSmallest, fitted));
}

std::unique_ptr<QApplication> MakeApplicationFittingScreen(int& argc, char** argv, QSize design) {
    // Qt takes its own options (-platform, say) out of argv: a second application object
    // must be given them again.
    const int givenCount = argc;
    const std::vector<char*> given(argv, argv + argc + 1);
    auto application = std::make_unique<QApplication>(argc, argv);
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return application;
    const QSize available = screen->availableGeometry().size();
    const double asked = scaleInEffect();
    const double fitted = FittedScale(asked, design, available);
    if (fitted >= asked)
        return application;

    // The screen's size is not named: Qt gives it at the scale asked for, rounded, so it
    // could be a pixel off.
    const bool fits = design.width() * fitted <= available.width() * asked &&
                      design.height() * fitted <= available.height() * asked;
    std::fprintf(stderr, "trellis: %s\n",
                 fmt::format("{} makes the sheet {} x {} pixels, larger than the screen's free "
                             "area; the interface is shown at scale {} instead, {}.",
                             scaleSource(asked), std::lround(design.width() * asked),
                             std::lround(design.height() * asked), fitted,
                             fits ? "the largest at which it fits"
                                  : "the smallest there is, and the sheet does not fit whole")
                     .c_str());
    // Before any window exists: Qt takes the scale only when the application object is made.
    application.reset();
    std::copy(given.begin(), given.end(), argv);
    argc = givenCount;
    qputenv("QT_SCALE_FACTOR", QByteArray::number(fitted, 'f', 2));
    return std::make_unique<QApplication>(argc, argv);
}
