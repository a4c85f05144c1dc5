#pragma once
// File names as a user gives them in a file dialog: the name patterns of a filter, the
// extension a filter implies, and whether a name is a plain name of a file in a folder.

#include <QString>
#include <QStringList>

// The name patterns of a filter such as "XML file (*.xml)": those inside the closing
// parentheses, separated by spaces or semicolons. A filter without parentheses is itself
// the list of patterns; one that gives none matches every file ("*").
QStringList FilterPatterns(const QString& filter);

// The extension the first pattern gives to every name it matches, such as ".xml" for
// "*.xml"; empty for a pattern that does not end in a fixed extension ("*", "data*").
QString PatternExtension(const QStringList& patterns);

// The name with the extension added, unless it already ends with it (in any case).
QString WithExtension(const QString& name, const QString& extension);

// Whether the name names a file inside a folder: not empty, not "." or "..", and without a
// path separator ("/", or "\" which users of other systems take for one).
bool IsPlainFileName(const QString& name);

// Whether the name is short enough for the usual Linux file systems (255 bytes).
bool FitsFileNameLength(const QString& name);
