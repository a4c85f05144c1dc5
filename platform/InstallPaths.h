#pragma once
// Where the programs find their read-only files: the help pages and the default
// configurations. An installed program finds them in <prefix>/share/trellis, beside its
// <prefix>/bin; a program run from its build folder finds them beside itself, where the
// build copies them. TRELLIS_DATA_DIR names another folder, for a relocated installation.

#include <QString>

// The folder that holds "help" and "defaults": TRELLIS_DATA_DIR when set, else the first
// of <program folder>/../share/trellis and <program folder> that holds either. When none
// does, the installed place, so that what is missing is named where it was looked for.
QString DataDirectory();

// The same search from a given program folder, with the value of TRELLIS_DATA_DIR.
QString DataDirectoryFrom(const QString& programFolder, const QString& dataDirVariable);

// The help page's path in the data folder.
QString HelpPagePath();

// The default configuration of a reference standard in the data folder, such as
// <data>/defaults/Format625_25Hz_2To1.xml.
QString DefaultConfigurationPath(const QString& referenceStandard);
