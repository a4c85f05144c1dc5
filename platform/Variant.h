#pragma once
// A tagged value as passed to and read from the configuration document: empty, bool,
// 32-bit integer, float or text. Its text form is locale-independent (a float is "0.5").

#include "HResult.h"

#include <cstdint>
#include <string>
#include <variant>

class Variant {
public:
    enum class Type { Empty, Bool, Int32, Float, String };

    // A value is made from exactly one of the held types, and only when asked for: a
    // pointer, a double or a wider integer does not quietly become a bool or an int.
    Variant() = default;
    explicit Variant(bool value) : m_value(value) {}
    explicit Variant(std::int32_t value) : m_value(value) {}
    explicit Variant(float value) : m_value(value) {}
    explicit Variant(std::string value) : m_value(std::move(value)) {}
    explicit Variant(const char* value) : m_value(std::string(value)) {}
    template <class Other> Variant(Other) = delete;

    Type type() const { return static_cast<Type>(m_value.index()); }
    bool isEmpty() const { return type() == Type::Empty; }

    // Text form: booleans as "true"/"false" (the document's vocabulary), integers in
    // decimal, floats in the shortest form that reads back exactly, with "." always.
    std::string toText() const;

    // Conversions as the document's readers need them. They leave the output untouched
    // and return DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW when the value does not convert.
    HRESULT toBool(bool& out) const;
    HRESULT toInt32(std::int32_t& out) const;
    HRESULT toFloat(float& out) const;

    // Values are compared as exact text, so 1 and "1" are equal, "1.0" and 1 are not.
    bool equalsAsText(const Variant& other) const { return toText() == other.toText(); }

    bool operator==(const Variant& other) const = default;

private:
    std::variant<std::monostate, bool, std::int32_t, float, std::string> m_value;
};
