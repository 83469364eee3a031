#include "support/scripted_prompts.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QPrinter>

namespace kestrum {
namespace {

TEST(ScriptedPromptsTest, AnswersFromTheQueuesAndRecordsTheRequests) {
    ScriptedPrompts prompts;
    prompts.QueueSaveFile(QStringLiteral("/tmp/a.txt"));
    prompts.QueueSaveFile(std::nullopt);
    prompts.QueuePrint(QStringLiteral("/tmp/out.pdf"), true);

    FileDialogRequest request;
    request.filter = QStringLiteral("Text Files (*.txt)|*.txt");
    request.directory = QStringLiteral("/tmp");
    request.fileName = QStringLiteral("a.txt");
    EXPECT_EQ(prompts.SaveFile(request), QStringLiteral("/tmp/a.txt"));
    EXPECT_EQ(prompts.SaveFile(request), std::nullopt) << "a queued nullopt is a cancel";
    ASSERT_EQ(prompts.SaveRequests().size(), 2u);
    EXPECT_EQ(prompts.SaveRequests()[0].fileName, QStringLiteral("a.txt"));
    EXPECT_EQ(prompts.SaveRequests()[0].directory, QStringLiteral("/tmp"));

    const std::optional<PrintChoice> choice = prompts.Print(true);
    ASSERT_TRUE(choice.has_value());
    EXPECT_TRUE(choice->selectionOnly);
    EXPECT_EQ(choice->printer->outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(choice->printer->outputFileName(), QStringLiteral("/tmp/out.pdf"));

    prompts.Message(QStringLiteral("first"));
    prompts.Message(QStringLiteral("second"));
    EXPECT_EQ(prompts.Messages(),
              (std::vector<QString>{QStringLiteral("first"), QStringLiteral("second")}));
    EXPECT_TRUE(prompts.AllAnswersUsed());
}

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
