#include "InterfaceScale.h"

#include <QLocale>
#include <QtGlobal>

#include <fmt/format.h>

namespace {

constexpr const char* kVariable = "TRELLIS_SCALE";
constexpr double kSmallest = 0.5;
constexpr double kLargest = 4.0;

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
