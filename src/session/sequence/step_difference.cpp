#include "session/sequence/step_difference.h"

namespace kestrum {

StepDifference FindDifference(std::string_view expected, std::string_view arrived) {
    StepDifference best;
    for (std::size_t offset = 0; offset < arrived.size(); ++offset) {
        std::size_t matched = 0;
        while (matched < expected.size() && offset + matched < arrived.size() &&
               arrived[offset + matched] == expected[matched]) {
            ++matched;
        }
        if (matched > best.matched) {
            best = {offset, matched};
            if (matched == expected.size()) {
                break;
            }
        }
    }
    return best;
}

}  // namespace kestrum
