#include "ui/monitor/data_monitor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPrinter>
#include <QSaveFile>
#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/prompts.h"
#include "storage/file_writing.h"
#include "storage/regular_file.h"

namespace kestrum {

namespace {
// Saved text is gathered into writes of about this size.
constexpr std::size_t kSaveChunkBytes = std::size_t{1} << 20;
// A print lets the event loop run after about this long.
constexpr qint64 kPrintSliceMs = 50;
constexpr auto kPrintProgressText = "Printing the Data Monitor...";
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

void DataMonitor::Defer(std::function<void()> change) {
    deferred_.push_back(std::move(change));
}

void DataMonitor::AppendText(std::string_view text, const QColor& colour) {
    // Only a print in progress pays for keeping the text aside; every append checks.
    if (printing_) {
        Defer([this, kept = std::string(text), colour] { AppendText(kept, colour); });
        return;
    }
    try {
        text_->AppendText(text, colour.rgb());
    } catch (const std::bad_alloc&) {
        // The text cannot grow: empty the monitor; later traffic goes on into it.
        text_->Clear();
    }
    Sync();
}

void DataMonitor::ReloadMonitor(std::span<const ModeConversion> conversions, bool processCrLf) {
    if (printing_) {
        Defer([this, kept = std::vector<ModeConversion>(conversions.begin(), conversions.end()),
               processCrLf] { ReloadMonitor(kept, processCrLf); });
        return;
    }
    try {
        // Run by run, each in its own colour: the colour is the only record of who sent
        // what. Appends are whole tokens, so a run boundary is a token boundary.
        std::vector<std::pair<std::string, QRgb>> runs;
        std::size_t skip = 0;
        for (const ColourSegment& run : text_->ColourSegments(0, text_->Size())) {
            const std::size_t from = std::max(run.from, skip);
            if (from >= run.to) {
                continue;
            }
            std::string converted = text_->TextRange(from, run.to);
            // A CR LF split between two runs is one break, already taken with the first.
            const std::size_t last = run.to - 1;
            skip = text_->At(last) == '\r' && run.to < text_->Size() && text_->At(run.to) == '\n'
                       ? run.to + 1
                       : 0;
            for (const ModeConversion& conversion : conversions) {
                if (conversion.source != conversion.target) {
                    converted =
                        ChangeMode(converted, conversion.source, conversion.target, processCrLf);
                }
            }
            runs.emplace_back(std::move(converted), run.colour);
        }
        text_->Clear();
        for (const auto& [converted, colour] : runs) {
            text_->AppendText(converted, colour);
        }
    } catch (const std::bad_alloc&) {
        text_->Clear();
    } catch (const std::length_error&) {
        text_->Clear();
    }
    Sync();
}

void DataMonitor::Clear() {
    if (printing_) {
        Defer([this] { Clear(); });
        return;
    }
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

PrintOutcome DataMonitor::PrintData(Prompts& prompts, const QString& heading) {
    if (printing_) {
        return PrintOutcome::Cancelled;
    }
    std::optional<PrintChoice> choice = prompts.Print(text_->HasSelection());
    if (!choice || !choice->printer) {
        return PrintOutcome::Cancelled;
    }
    const RowSpan range = PrintRange(choice->selectionOnly);
    std::unique_ptr<Progress> progress;
    bool cancelled = false;
    QElapsedTimer slice;
    slice.start();
    const auto pageDone = [&](std::size_t done, std::size_t pages) {
        // A page at a time, the event loop between slices of about kPrintSliceMs.
        if (slice.elapsed() < kPrintSliceMs) {
            return true;
        }
        if (!progress) {
            progress = prompts.ShowProgress(QString::fromLatin1(kPrintProgressText),
                                            static_cast<int>(pages));
        }
        cancelled = progress && !progress->Advance(static_cast<int>(done));
        QCoreApplication::processEvents();
        slice.restart();
        return !cancelled;
    };
    printing_ = true;
    const PrintOutcome outcome =
        PrintMonitorText(*text_, range.from, range.to, *choice->printer, heading, pageDone);
    printing_ = false;
    progress.reset();
    for (const std::function<void()>& change : std::exchange(deferred_, {})) {
        change();
    }
    return outcome;
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
