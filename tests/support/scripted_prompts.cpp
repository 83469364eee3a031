#include "support/scripted_prompts.h"

#include <gtest/gtest.h>

#include <QPrinter>

namespace kestrum {

namespace {

template <typename Answer>
std::optional<Answer> TakeAnswer(std::deque<std::optional<Answer>>& answers, const char* dialog) {
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected " << dialog << " dialog";
        return std::nullopt;
    }
    const std::optional<Answer> answer = answers.front();
    answers.pop_front();
    return answer;
}

}  // namespace

void ScriptedPrompts::Message(const QString& text) {
    if (onMessage_) {
        onMessage_();
    }
    messages_.push_back(text);
}

Answer ScriptedPrompts::Ask(const QString& text) {
    questions_.push_back(text);
    return TakeAnswer(questionAnswers_, "question").value_or(Answer::Cancel);
}

std::optional<QString> ScriptedPrompts::OpenFile(const FileDialogRequest& request) {
    openRequests_.push_back(request);
    return TakeAnswer(openAnswers_, "open file");
}

std::optional<QString> ScriptedPrompts::SaveFile(const FileDialogRequest& request) {
    saveRequests_.push_back(request);
    return TakeAnswer(saveAnswers_, "save file");
}

std::optional<PrintChoice> ScriptedPrompts::Print(bool hasSelection) {
    printRequests_.push_back(hasSelection);
    const std::optional<PrintAnswer> answer = TakeAnswer(printAnswers_, "print");
    if (!answer) {
        return std::nullopt;
    }
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(answer->pdfPath);
    return PrintChoice{std::move(printer), answer->selectionOnly};
}

std::unique_ptr<Progress> ScriptedPrompts::ShowProgress(const QString& text, int maximum) {
    static_cast<void>(text);
    if (!progressCancelAt_) {
        return nullptr;
    }
    ++progressShown_;
    progressMaximum_ = maximum;
    struct Steps final : Progress {
        explicit Steps(ScriptedPrompts& owner) : owner_(owner) {}
        bool Advance(int) override { return ++owner_.progressSteps_ != *owner_.progressCancelAt_; }
        ScriptedPrompts& owner_;
    };
    return std::make_unique<Steps>(*this);
}

}  // namespace kestrum
