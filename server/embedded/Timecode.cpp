#include "Timecode.h"

#include <fmt/format.h>

#include <array>
#include <cctype>

HRESULT EmbeddedTimecode::SetStandard(const std::string& referenceStandard) {
    if (referenceStandard == "Format625_25Hz_2To1")
        m_frameRate = 25;
    else if (referenceStandard == "Format525_29_97Hz_2To1")
        m_frameRate = 30;
    else
        return E_INVALIDARG;
    return S_OK;
}

HRESULT EmbeddedTimecode::SetFlag(bool flag) {
    m_dropFrame = flag;
    return S_OK;
}

HRESULT EmbeddedTimecode::SetText(const std::string& text) {
    std::string normal = Normalise(text, m_frameRate, m_dropFrame && m_frameRate == 30);
    if (normal.empty())
        return E_INVALIDARG;
    m_text = std::move(normal);
    return S_OK;
}

HRESULT EmbeddedTimecode::GetText(std::string& text) {
    text = m_text;
    return S_OK;
}

std::string EmbeddedTimecode::Normalise(const std::string& text, int frameRate, bool dropFrame) {
    // Fields from the right: frames, seconds, minutes, hours.
    std::array<long, 4> fields{0, 0, 0, 0};
    const bool separated = text.find_first_of(":;.") != std::string::npos;
    int field = 0;
    int digits = 0;
    long value = 0;
    long place = 1;
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        const char c = *it;
        if (std::isdigit(static_cast<unsigned char>(c))) {
            if (field > 3 || digits >= 9)
                return {};
            value += (c - '0') * place;
            place *= 10;
            ++digits;
            // Without separators every two digits make a field.
            if (!separated && digits == 2) {
                fields[static_cast<std::size_t>(field++)] = value;
                value = 0;
                place = 1;
                digits = 0;
            }
        } else if (c == ':' || c == ';' || c == '.') {
            if (field > 3)
                return {};
            fields[static_cast<std::size_t>(field++)] = value;
            value = 0;
            place = 1;
            digits = 0;
        } else {
            return {};
        }
    }
    if (digits > 0) {
        if (field > 3)
            return {};
        fields[static_cast<std::size_t>(field)] = value;
    }

    long frames = fields[0];
    long seconds = fields[1] + frames / frameRate;
    frames %= frameRate;
    long minutes = fields[2] + seconds / 60;
    seconds %= 60;
    long hours = fields[3] + minutes / 60;
    minutes %= 60;
    hours %= 24;
    if (dropFrame && seconds == 0 && frames < 2 && minutes % 10 != 0)
        frames = 2;
    return fmt::format("{:02}:{:02}:{:02}{}{:02}", hours, minutes, seconds, dropFrame ? '.' : ':',
                       frames);
}
