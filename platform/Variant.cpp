#include "Variant.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool equalsNoCase(const std::string& a, const char* b) {
    const std::string other(b);
    return a.size() == other.size() &&
           std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Parses a decimal number the way a document attribute holds one; "+4", "-12" and "2.5"
// are numbers, "4dB" is not.
HRESULT parseNumber(const std::string& text, double& out) {
    std::string t = trimmed(text);
    if (!t.empty() && t.front() == '+')
        t.erase(0, 1);
    if (t.empty())
        return DISP_E_TYPEMISMATCH;
    const char* end = t.data() + t.size();
    auto [ptr, ec] = std::from_chars(t.data(), end, out);
    if (ec == std::errc::result_out_of_range)
        return DISP_E_OVERFLOW;
    if (ec != std::errc() || ptr != end || !std::isfinite(out))
        return DISP_E_TYPEMISMATCH;
    return S_OK;
}

} // namespace

std::string Variant::toText() const {
    switch (type()) {
    case Type::Empty:
        return {};
    case Type::Bool:
        return std::get<bool>(m_value) ? "true" : "false";
    case Type::Int32:
        return std::to_string(std::get<std::int32_t>(m_value));
    case Type::Float: {
        char buffer[64];
        auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::get<float>(m_value));
        return ec == std::errc() ? std::string(buffer, ptr) : std::string();
    }
    case Type::String:
        return std::get<std::string>(m_value);
    }
    return {};
}

HRESULT Variant::toBool(bool& out) const {
    switch (type()) {
    case Type::Empty:
        out = false;
        return S_OK;
    case Type::Bool:
        out = std::get<bool>(m_value);
        return S_OK;
    case Type::Int32:
        out = std::get<std::int32_t>(m_value) != 0;
        return S_OK;
    case Type::Float:
        out = std::get<float>(m_value) != 0.0f;
        return S_OK;
    case Type::String: {
        const std::string t = trimmed(std::get<std::string>(m_value));
        if (equalsNoCase(t, "true")) {
            out = true;
            return S_OK;
        }
        if (equalsNoCase(t, "false")) {
            out = false;
            return S_OK;
        }
        double number = 0;
        const HRESULT hr = parseNumber(t, number);
        if (SUCCEEDED(hr))
            out = number != 0.0;
        return hr;
    }
    }
    return DISP_E_TYPEMISMATCH;
}

HRESULT Variant::toInt32(std::int32_t& out) const {
    double number = 0;
    switch (type()) {
    case Type::Empty:
        out = 0;
        return S_OK;
    case Type::Bool:
        // A true boolean is -1 as an integer, as the server's own conversion gives it.
        out = std::get<bool>(m_value) ? -1 : 0;
        return S_OK;
    case Type::Int32:
        out = std::get<std::int32_t>(m_value);
        return S_OK;
    case Type::Float:
        number = std::get<float>(m_value);
        break;
    case Type::String: {
        const HRESULT hr = parseNumber(std::get<std::string>(m_value), number);
        if (FAILED(hr))
            return hr;
        break;
    }
    }
    const double rounded = std::nearbyint(number);
    if (rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max())
        return DISP_E_OVERFLOW;
    out = static_cast<std::int32_t>(rounded);
    return S_OK;
}

HRESULT Variant::toFloat(float& out) const {
    switch (type()) {
    case Type::Empty:
        out = 0.0f;
        return S_OK;
    case Type::Bool:
        out = std::get<bool>(m_value) ? -1.0f : 0.0f;
        return S_OK;
    case Type::Int32:
        out = static_cast<float>(std::get<std::int32_t>(m_value));
        return S_OK;
    case Type::Float:
        out = std::get<float>(m_value);
        return S_OK;
    case Type::String: {
        double number = 0;
        const HRESULT hr = parseNumber(std::get<std::string>(m_value), number);
        if (FAILED(hr))
            return hr;
        if (std::fabs(number) > std::numeric_limits<float>::max())
            return DISP_E_OVERFLOW;
        out = static_cast<float>(number);
        return S_OK;
    }
    }
    return DISP_E_TYPEMISMATCH;
}
