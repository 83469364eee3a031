#pragma once
// Prompts that answer nothing: a benchmark has no one to click. Messages are kept so that a
// benchmark can tell that none was shown.

#include <vector>

#include "platform/prompts.h"

namespace kestrum {

class SilentPrompts final : public Prompts {
public:
    void Message(const QString& text) override { messages.push_back(text); }
    Answer Ask(const QString&) override { return Answer::Cancel; }
    std::optional<QString> OpenFile(const FileDialogRequest&) override { return {}; }
    std::optional<QString> SaveFile(const FileDialogRequest&) override { return {}; }
    std::optional<PrintChoice> Print(bool) override { return {}; }

    std::vector<QString> messages;
};

}  // namespace kestrum
