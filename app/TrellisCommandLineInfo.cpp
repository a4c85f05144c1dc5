#include "TrellisCommandLineInfo.h"

#include <cstring>

void CTrellisCommandLineInfo::ParseCommandLine(const QStringList& arguments) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool isSwitch =
            argument.startsWith(QLatin1Char('/')) || argument.startsWith(QLatin1Char('-'));
        ParseParam(isSwitch ? argument.mid(1) : argument, isSwitch, i == arguments.size() - 1);
    }
}

void CTrellisCommandLineInfo::ParseParam(const QString& parameter, bool isSwitch, bool) {
    m_parameters << parameter;
    m_switches.push_back(isSwitch);
    ++m_count;
}

bool CTrellisCommandLineInfo::GetParameter(int index, QString& parameter, bool* isSwitch) const {
    if (index < 0 || index >= m_count)
        return false;
    parameter = m_parameters[index];
    if (isSwitch)
        *isSwitch = m_switches[static_cast<std::size_t>(index)];
    return true;
}

void CTrellisCommandLineInfo::HidePassword(int argc, char* argv[]) {
    // argv[0] is the program; the password is parameter 3.
    constexpr int kPasswordArgument = 3;
    if (argc > kPasswordArgument && argv[kPasswordArgument])
        std::memset(argv[kPasswordArgument], 0, std::strlen(argv[kPasswordArgument]));
}
