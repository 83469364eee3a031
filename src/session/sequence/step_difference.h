#pragma once
// Where what arrived parts from what a step expected, to mark the first differing byte.

#include <cstddef>
#include <string_view>

namespace kestrum {

struct StepDifference {
    // Where in the arrived bytes the expected bytes are laid: the place where the longest
    // start of them is found (the first such place).
    std::size_t offset = 0;
    // How many expected bytes match there; the first differing byte is expected[matched]
    // and arrived[offset + matched] (either may be past the end: missing or nothing more).
    std::size_t matched = 0;
};

// Cost: arrived.size() x expected.size() at worst; the window keeps both short.
StepDifference FindDifference(std::string_view expected, std::string_view arrived);

}  // namespace kestrum
