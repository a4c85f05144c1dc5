#pragma once
// The fields of a request's JSON body, read by name and type. A body that is not a JSON
// object, or a field that is missing or of another type, leaves a problem to answer with
// (400) instead of a default value being used.

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

class JsonFields {
public:
    explicit JsonFields(const QByteArray& body);

    QString text(const char* name);
    // A string that may be left out: empty then.
    QString optionalText(const char* name);
    bool flag(const char* name);
    // A whole number within [lowest, highest].
    qint64 number(const char* name, qint64 lowest, qint64 highest);
    QStringList texts(const char* name);

    // The first problem found so far, in words.
    const std::optional<QString>& problem() const { return m_problem; }

private:
    QJsonValue field(const char* name, const char* kind, bool (QJsonValue::*is)() const);

    QJsonObject m_object;
    std::optional<QString> m_problem;
};
