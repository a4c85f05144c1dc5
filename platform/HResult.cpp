#include "HResult.h"

#include <fmt/printf.h>

#include <array>
#include <utility>

namespace {

// System texts of the statuses this program raises or receives.
constexpr std::array<std::pair<std::uint32_t, const char*>, 25> kSystemTexts{{
    {0x00000000, "The operation completed successfully."},
    {0x00000001, "Incorrect function."},
    {0x80004001, "Not implemented"},
    {0x80004002, "No such interface supported"},
    {0x80004003, "Invalid pointer"},
    {0x80004004, "Operation aborted"},
    {0x80004005, "Unspecified error"},
    {0x8000000C, "Object has changed state."},
    {0x8000FFFF, "Catastrophic failure"},
    {0x80020005, "Type mismatch."},
    {0x8002000A, "Out of present range."},
    {0x80070002, "The system cannot find the file specified."},
    {0x80070003, "The system cannot find the path specified."},
    {0x80070005, "Access is denied."},
    {0x80070006, "The handle is invalid."},
    {0x8007000D, "The data is invalid."},
    {0x8007000E, "Not enough memory resources are available to complete this operation."},
    {0x8007001D, "The system cannot write to the specified device."},
    {0x8007001E, "The system cannot read from the specified device."},
    {0x80070021, "The process cannot access the file because another process has locked a "
                 "portion of the file."},
    {0x80070057, "The parameter is incorrect."},
    {0x800700DF, "The file size exceeds the limit allowed and cannot be saved."},
    {0x80070490, "Element not found."},
    {0x800704D4, "The network connection was aborted by the local system."},
    {0x800705B4, "This operation returned because the timeout period expired."},
}};

constexpr std::uint32_t kDispatchFirst = 0x80040200;
constexpr std::uint32_t kDispatchEnd = 0x80050000;

} // namespace

std::string ComErrorText(HRESULT status) {
    const auto code = static_cast<std::uint32_t>(status);
    for (const auto& [value, text] : kSystemTexts) {
        if (value == code)
            return text;
    }
    if (code >= kDispatchFirst && code < kDispatchEnd)
        return fmt::sprintf("IDispatch error #%d", static_cast<int>(code - kDispatchFirst));
    return fmt::sprintf("Unknown error 0x%0lX", static_cast<unsigned long>(code));
}

std::string AsSentence(std::string reason) {
    const bool ended = reason.ends_with('.') || reason.ends_with(".)");
    if (!reason.empty() && !ended)
        reason += '.';
    return reason;
}
