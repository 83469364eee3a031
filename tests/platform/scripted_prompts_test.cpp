#include "support/scripted_prompts.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QPrinter>  // PrintChoice owns one

namespace kestrum {
namespace {

// Queued answers and recorded requests are proven by the window tests that use them; what those
// tests cannot see is a dialog they did not expect, so that must fail them on its own.
TEST(ScriptedPromptsTest, AnUnexpectedDialogFailsTheTestAndCancels) {
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompts prompts;
            EXPECT_EQ(prompts.OpenFile({}), std::nullopt);
        },
        "unexpected open file dialog");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompts prompts;
            EXPECT_FALSE(prompts.Print(false).has_value());
        },
        "unexpected print dialog");
}

}  // namespace
}  // namespace kestrum
