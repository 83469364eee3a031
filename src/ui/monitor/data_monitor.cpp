#include "ui/monitor/data_monitor.h"

#include <QPrinter>
#include <QSaveFile>
#include <new>
#include <stdexcept>
#include <string>

#include "platform/prompts.h"
#include "storage/file_writing.h"
#include "storage/regular_file.h"

namespace kestrum {

namespace {
// Saved text is gathered into writes of about this size.
constexpr std::size_t kSaveChunkBytes = std::size_t{1} << 20;
}  // namespace

DataMonitor::DataMonitor(QWidget* viewParent, QWidget* lampParent, QObject* parent,
                         std::size_t capacity)
    : QObject(parent),
      text_(std::make_unique<MonitorText>(capacity)),
      view_(new MonitorView(*text_, viewParent)),
      lamps_(lampParent) {
    view_->setObjectName(QStringLiteral("ReceiveBox"));
}

DataMonitor::~DataMonitor() {
    // The view reads the text, so it must not outlive it.
    delete view_.data();
}

void DataMonitor::AppendText(std::string_view text, const QColor& colour) {
    try {
        text_->AppendText(text, colour.rgb());
    } catch (const std::bad_alloc&) {
        // The text cannot grow: empty the monitor; later traffic goes on into it.
        text_->Clear();
    }
    Sync();
}

void DataMonitor::ReloadMonitor(std::span<const ModeConversion> conversions, bool processCrLf) {
    try {
        std::string converted = text_->Text();
        for (const ModeConversion& conversion : conversions) {
            if (conversion.source != conversion.target) {
                converted =
                    ChangeMode(converted, conversion.source, conversion.target, processCrLf);
            }
        }
        text_->Clear();
        text_->AppendText(converted, kTransmitColour);
    } catch (const std::bad_alloc&) {
        text_->Clear();
    } catch (const std::length_error&) {
        text_->Clear();
    }
    Sync();
}

void DataMonitor::Clear() {
    text_->Clear();
    Sync();
}

SaveDataResult DataMonitor::SaveData(Prompts& prompts, const QString& startDirectory) {
    FileDialogRequest request;
    request.filter = QString::fromLatin1(kSaveDataFilter);
    request.filterIndex = kSaveDataFilterIndex;
    request.directory = startDirectory;
    const std::optional<QString> chosen = prompts.SaveFile(request);
    if (!chosen) {
        return {};
    }
    SaveDataResult result{SaveStatus::Failed, *chosen, {}};
    if (const FileCheck target = CheckSaveTarget(*chosen); !target.Ok()) {
        result.errorText = target.reason;
        return result;
    }
    // Written to a temporary file and renamed over the target, so a failed write
    // leaves an earlier file of that name as it was.
    QSaveFile file(*chosen);
    // Unbuffered, so a short write is seen (file_writing.h says why).
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        result.errorText = file.errorString();
        return result;
    }
    bool written = true;
    std::string pending;
    const auto flush = [&file, &written, &pending] {
        written = written && WriteFully(file, pending);
        pending.clear();
    };
    const auto write = [&pending, &flush](std::string_view piece) {
        pending.append(piece);
        if (pending.size() >= kSaveChunkBytes) {
            flush();
        }
    };
    text_->ForEachTextPiece(0, text_->Size(), write);
    write(kLineBreak);
    flush();
    if (!written) {
        result.errorText = file.errorString();
        file.cancelWriting();
        return result;
    }
    if (!file.commit()) {
        result.errorText = file.errorString();
        return result;
    }
    result.status = SaveStatus::Saved;
    return result;
}

PrintOutcome DataMonitor::PrintData(Prompts& prompts) {
    std::optional<PrintChoice> choice = prompts.Print(text_->HasSelection());
    if (!choice || !choice->printer) {
        return PrintOutcome::Cancelled;
    }
    const RowSpan range = PrintRange(choice->selectionOnly);
    return PrintMonitorText(*text_, range.from, range.to, *choice->printer);
}

RowSpan DataMonitor::PrintRange(bool selectionOnly) const {
    if (selectionOnly && text_->HasSelection()) {
        return {text_->SelectionStart(), text_->SelectionStart() + text_->SelectionLength()};
    }
    return {0, text_->Size()};
}

void DataMonitor::Sync() {
    if (view_) {
        view_->SyncWithText();
    }
}

}  // namespace kestrum
