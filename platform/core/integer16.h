// The program counts in 16-bit integers: a result outside -32768..32767 is no result, and the step that
// needed it is skipped.
#pragma once

#include <cstdint>
#include <optional>

namespace platform {

// x as a 16-bit integer (its fraction cut off); none when it lies outside the range or is no number.
inline std::optional<int16_t> integer16(double x)
{
    if (!(x >= -32768.0 && x <= 32767.0)) {
        return std::nullopt;
    }
    return int16_t(x);
}

} // namespace platform
