#include "JsonFields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <cmath>

JsonFields::JsonFields(const QByteArray& body) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError)
        m_problem = QStringLiteral("the body is not valid JSON (%1 at offset %2)")
                        .arg(error.errorString())
                        .arg(error.offset);
    else if (!document.isObject())
        m_problem = QStringLiteral("the body is not a JSON object");
    else
        m_object = document.object();
}

QJsonValue JsonFields::field(const char* name, const char* kind, bool (QJsonValue::*is)() const) {
    const QJsonValue value = m_object.value(QLatin1String(name));
    if (m_problem)
        return value;
    if (value.isUndefined())
        m_problem = QStringLiteral("the field \"%1\" is missing").arg(QLatin1String(name));
    else if (!(value.*is)())
        m_problem = QStringLiteral("the field \"%1\" is not %2")
                        .arg(QLatin1String(name), QLatin1String(kind));
    return value;
}

QString JsonFields::text(const char* name) {
    return field(name, "a string", &QJsonValue::isString).toString();
}

QString JsonFields::optionalText(const char* name) {
    return m_object.contains(QLatin1String(name)) ? text(name) : QString();
}

bool JsonFields::flag(const char* name) {
    return field(name, "true or false", &QJsonValue::isBool).toBool();
}

qint64 JsonFields::number(const char* name, qint64 lowest, qint64 highest) {
    const double value = field(name, "a number", &QJsonValue::isDouble).toDouble();
    if (m_problem)
        return 0;
    if (std::floor(value) != value || value < static_cast<double>(lowest) ||
        value > static_cast<double>(highest)) {
        m_problem = QStringLiteral("the field \"%1\" is not a whole number from %2 to %3")
                        .arg(QLatin1String(name))
                        .arg(lowest)
                        .arg(highest);
        return 0;
    }
    return static_cast<qint64>(value);
}

QStringList JsonFields::texts(const char* name) {
    const QJsonArray array = field(name, "an array", &QJsonValue::isArray).toArray();
    QStringList result;
    for (const QJsonValue& item : array) {
        if (!item.isString() && !m_problem)
            m_problem = QStringLiteral("the field \"%1\" holds an item that is not a string")
                            .arg(QLatin1String(name));
        result.append(item.toString());
    }
    return result;
}
