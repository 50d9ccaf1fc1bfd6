#pragma once

#include <cstdint>
#include <vector>

namespace zadaravod::test {

/// What the stand-in converter plugin (PatternConverter.cpp) encodes, whatever
/// WAV it is given: 0.25 s of a 500 Hz square wave at 6000 Hz.
inline constexpr std::uint32_t kPatternRate = 6000;

inline std::vector<std::int16_t> converterPattern() {
    std::vector<std::int16_t> x(1500);
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = (i / 6) % 2 == 0 ? 9000 : -9000;
    return x;
}

}  // namespace zadaravod::test
