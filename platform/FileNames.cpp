#include "FileNames.h"

#include <QRegularExpression>

namespace {

// The longest file name the usual Linux file systems take, in bytes.
constexpr qsizetype kMaxNameBytes = 255;

} // namespace

QStringList FilterPatterns(const QString& filter) {
    static const QRegularExpression inParentheses(QStringLiteral("\\(([^()]*)\\)\\s*$"));
    static const QRegularExpression separators(QStringLiteral("[\\s;]+"));
    const QRegularExpressionMatch match = inParentheses.match(filter);
    const QString list = match.hasMatch() ? match.captured(1) : filter;
    QStringList patterns = list.split(separators, Qt::SkipEmptyParts);
    if (patterns.isEmpty())
        patterns.append(QStringLiteral("*"));
    return patterns;
}

QString PatternExtension(const QStringList& patterns) {
    if (patterns.isEmpty() || !patterns.constFirst().startsWith(QLatin1String("*.")))
        return {};
    const QString extension = patterns.constFirst().mid(1);
    static const QRegularExpression wildcard(QStringLiteral("[*?\\[\\]]"));
    if (extension.size() < 2 || extension.contains(wildcard))
        return {};
    return extension;
}

QString WithExtension(const QString& name, const QString& extension) {
    if (extension.isEmpty() || name.endsWith(extension, Qt::CaseInsensitive))
        return name;
    return name + extension;
}

bool IsPlainFileName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

bool FitsFileNameLength(const QString& name) {
    return name.toUtf8().size() <= kMaxNameBytes;
}
