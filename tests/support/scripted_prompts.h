#pragma once
// A Prompts double: records every message and dialog request, and answers the
// dialogs from queues the test fills. A dialog nobody queued an answer for fails
// the test and is answered with cancel.

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/prompts.h"

namespace kestrum {

class ScriptedPrompts final : public Prompts {
public:
    // nullopt = the user cancels the dialog.
    void QueueOpenFile(std::optional<QString> answer) { openAnswers_.push_back(std::move(answer)); }
    void QueueSaveFile(std::optional<QString> answer) { saveAnswers_.push_back(std::move(answer)); }
    // The print dialog answers with a PDF printer writing to `pdfPath`.
    void QueuePrint(const QString& pdfPath, bool selectionOnly) {
        printAnswers_.push_back(PrintAnswer{pdfPath, selectionOnly});
    }
    void QueuePrintCancel() { printAnswers_.push_back(std::nullopt); }
    void QueueAnswer(Answer answer) { questionAnswers_.push_back(answer); }
    // Progress windows are shown from now on (none before); Cancel is pressed at the
    // `cancelAt`th step of each (never when 0).
    void ShowProgressWindows(int cancelAt) { progressCancelAt_ = cancelAt; }

    // Runs as each message opens, to look at what the window shows behind it.
    void OnMessage(std::function<void()> look) { onMessage_ = std::move(look); }

    void Message(const QString& text) override;
    Answer Ask(const QString& text) override;
    std::optional<QString> OpenFile(const FileDialogRequest& request) override;
    std::optional<QString> SaveFile(const FileDialogRequest& request) override;
    std::optional<PrintChoice> Print(bool hasSelection) override;
    std::unique_ptr<Progress> ShowProgress(const QString& text, int maximum) override;

    // Every message text, in order.
    const std::vector<QString>& Messages() const { return messages_; }
    // Every question asked, in order.
    const std::vector<QString>& Questions() const { return questions_; }
    const std::vector<FileDialogRequest>& OpenRequests() const { return openRequests_; }
    const std::vector<FileDialogRequest>& SaveRequests() const { return saveRequests_; }
    // hasSelection of every print dialog shown.
    const std::vector<bool>& PrintRequests() const { return printRequests_; }
    int ProgressShown() const { return progressShown_; }
    int ProgressMaximum() const { return progressMaximum_; }
    int ProgressSteps() const { return progressSteps_; }

    // True when every queued answer was used.
    bool AllAnswersUsed() const {
        return openAnswers_.empty() && saveAnswers_.empty() && printAnswers_.empty() &&
               questionAnswers_.empty();
    }

private:
    struct PrintAnswer {
        QString pdfPath;
        bool selectionOnly = false;
    };

    std::vector<QString> messages_;
    std::function<void()> onMessage_;
    std::vector<QString> questions_;
    std::deque<std::optional<Answer>> questionAnswers_;
    std::vector<FileDialogRequest> openRequests_;
    std::vector<FileDialogRequest> saveRequests_;
    std::vector<bool> printRequests_;
    std::deque<std::optional<QString>> openAnswers_;
    std::deque<std::optional<QString>> saveAnswers_;
    std::deque<std::optional<PrintAnswer>> printAnswers_;
    std::optional<int> progressCancelAt_;
    int progressShown_ = 0;
    int progressMaximum_ = 0;
    int progressSteps_ = 0;
};

}  // namespace kestrum
