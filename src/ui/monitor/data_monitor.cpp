#include "ui/monitor/data_monitor.h"

#include <QDateTime>
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
// A print prints pages for about this long, then lets the event loop run.
constexpr qint64 kPrintSliceMs = 50;
constexpr auto kPrintProgressText = "Printing the Data Monitor...";
// A re-render runs in slices of about this long, the event loop between them; the first
// slice takes longer, so a text that needs not much more is done at once.
constexpr std::chrono::milliseconds kRerenderSlice{30};
constexpr std::chrono::milliseconds kRerenderFirstSlice{50};
}  // namespace

DataMonitor::DataMonitor(QWidget* viewParent, QWidget* lampParent, QObject* parent,
                         std::size_t capacity)
    : QObject(parent),
      text_(std::make_unique<MonitorText>(capacity)),
      view_(new MonitorView(*text_, viewParent)),
      lamps_(lampParent),
      rerenderSlice_(kRerenderSlice),
      rerenderFirstSlice_(kRerenderFirstSlice),
      clock_([] { return QDateTime::currentMSecsSinceEpoch(); }) {
    view_->setObjectName(QStringLiteral("ReceiveBox"));
    rerenderTimer_.setSingleShot(true);
    rerenderTimer_.setInterval(0);
    connect(&rerenderTimer_, &QTimer::timeout, this, &DataMonitor::ContinueRerender);
    printTimer_.setSingleShot(true);
    printTimer_.setInterval(0);
    connect(&printTimer_, &QTimer::timeout, this, &DataMonitor::ContinuePrint);
}

DataMonitor::~DataMonitor() {
    // The view reads the text, so it must not outlive it.
    delete view_.data();
}

void DataMonitor::Defer(std::function<void()> change) {
    deferred_.push_back(std::move(change));
}

void DataMonitor::AppendText(std::string_view text, const QColor& colour) {
    AppendAt(text, colour, clock_());
}

void DataMonitor::AppendAt(std::string_view text, const QColor& colour, std::int64_t arrivalMs) {
    // Only a print or a re-render in progress pays for keeping the text aside.
    if (MustDefer()) {
        Defer([this, kept = std::string(text), colour, arrivalMs] {
            AppendAt(kept, colour, arrivalMs);
        });
        return;
    }
    try {
        text_->AppendText(text, colour.rgb(), arrivalMs);
    } catch (const std::bad_alloc&) {
        // The text cannot grow: empty the monitor; later traffic goes on into it.
        text_->Clear();
    }
    Sync();
}

void DataMonitor::ReloadMonitor(std::span<const ModeConversion> conversions, bool processCrLf) {
    if (MustDefer()) {
        Defer([this, kept = std::vector<ModeConversion>(conversions.begin(), conversions.end()),
               processCrLf] { ReloadMonitor(kept, processCrLf); });
        return;
    }
    rerender_ = std::make_unique<MonitorRerender>(*text_, conversions, processCrLf);
    if (rerender_->Step(rerenderFirstSlice_)) {
        CompleteRerender();
    } else {
        rerenderTimer_.start();
    }
}

void DataMonitor::ContinueRerender() {
    if (!rerender_) {
        return;
    }
    if (rerender_->Step(rerenderSlice_)) {
        CompleteRerender();
    } else {
        rerenderTimer_.start();
    }
}

void DataMonitor::CompleteRerender() {
    rerenderTimer_.stop();
    if (!rerender_->Done()) {
        rerender_->Step(std::chrono::hours(1));
    }
    text_->ReplaceWith(std::move(rerender_->Result()));
    rerender_.reset();
    Sync();
    RunDeferred();
}

void DataMonitor::RunDeferred() {
    // A change that starts another re-render makes the ones after it wait again, in order.
    for (const std::function<void()>& change : std::exchange(deferred_, {})) {
        change();
    }
}

void DataMonitor::Clear() {
    if (print_) {
        Defer([this] { Clear(); });
        return;
    }
    if (rerender_) {
        // What waited would be emptied with the rest.
        rerenderTimer_.stop();
        rerender_.reset();
        deferred_.clear();
    }
    text_->Clear();
    Sync();
}

SaveDataResult DataMonitor::SaveData(Prompts& prompts, const QString& startDirectory,
                                     const SaveRefusal& refusal) {
    FileDialogRequest request;
    request.filter = QString::fromLatin1(kSaveDataFilter);
    request.filterIndex = kSaveDataFilterIndex;
    request.directory = startDirectory;
    const std::optional<QString> chosen = prompts.SaveFile(request);
    if (!chosen) {
        return {};
    }
    if (refusal) {
        if (std::optional<QString> reason = refusal(*chosen)) {
            return {SaveStatus::Refused, *chosen, std::move(*reason)};
        }
    }
    if (rerender_) {
        CompleteRerender();
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

// What a print in progress holds: the job prints on the printer, so it goes first.
struct DataMonitor::PrintRun {
    PrintRun(std::unique_ptr<QPrinter> chosen, const MonitorText& text, RowSpan range,
             const QString& heading, Prompts& prompts)
        : printer(std::move(chosen)),
          job(text, range.from, range.to, *printer, heading),
          prompts(prompts) {}

    std::unique_ptr<QPrinter> printer;
    MonitorPrintJob job;
    Prompts& prompts;
    std::unique_ptr<Progress> progress;
};

void DataMonitor::PrintData(Prompts& prompts, const QString& heading) {
    if (print_) {
        return;  // the one running reports; its progress window keeps Print out of reach
    }
    std::optional<PrintChoice> choice = prompts.Print(text_->HasSelection());
    if (!choice || !choice->printer) {
        emit PrintFinished(PrintOutcome::Cancelled);
        return;
    }
    if (rerender_) {
        CompleteRerender();
    }
    print_ = std::make_unique<PrintRun>(std::move(choice->printer), *text_,
                                        PrintRange(choice->selectionOnly), heading, prompts);
    if (!print_->job.Begin()) {
        EndPrint(PrintOutcome::Failed);
        return;
    }
    // Laying out a full monitor takes a slice of its own.
    printTimer_.start();
}

void DataMonitor::ContinuePrint() {
    if (!print_) {
        return;
    }
    MonitorPrintJob& job = print_->job;
    QElapsedTimer slice;
    slice.start();
    while (!job.AllPrinted() && slice.elapsed() < kPrintSliceMs) {
        if (!job.PrintNextPage()) {
            EndPrint(PrintOutcome::Failed);
            return;
        }
    }
    if (job.AllPrinted()) {
        EndPrint(job.End());
        return;
    }
    if (!print_->progress) {
        print_->progress = print_->prompts.ShowProgress(QString::fromLatin1(kPrintProgressText),
                                                        static_cast<int>(job.Pages()));
    }
    if (print_->progress && !print_->progress->Advance(static_cast<int>(job.PagesDone()))) {
        job.Cancel();
        EndPrint(PrintOutcome::Cancelled);
        return;
    }
    printTimer_.start();
}

void DataMonitor::EndPrint(PrintOutcome outcome) {
    printTimer_.stop();
    print_.reset();
    RunDeferred();
    emit PrintFinished(outcome);
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
