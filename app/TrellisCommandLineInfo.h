#pragma once
// Every command-line parameter in the order given, switches included (a switch is kept
// without its leading "/" or "-"): positions count them all.

#include <QString>
#include <QStringList>

#include <vector>

class CTrellisCommandLineInfo {
public:
    // Takes the program's arguments, without the program name.
    void ParseCommandLine(const QStringList& arguments);
    void ParseParam(const QString& parameter, bool isSwitch, bool isLast);

    int GetCount() const { return m_count; }
    bool GetParameter(int index, QString& parameter, bool* isSwitch = nullptr) const;

    // Blanks the password (the third parameter) in the process's own argument memory, so
    // that other users cannot read it from the process list. Read the arguments first.
    static void HidePassword(int argc, char* argv[]);

private:
    QStringList m_parameters;
    std::vector<bool> m_switches;
    int m_count = 0;
};
