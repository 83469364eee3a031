#pragma once
// The Data Monitor as the rest of the program uses it: appending traffic, re-rendering
// in another notation, Clear, Save, Print, and the activity lamps.

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "notation/byte_notation.h"
#include "ui/monitor/activity_lamps.h"
#include "ui/monitor/monitor_constants.h"
#include "ui/monitor/monitor_layout.h"
#include "ui/monitor/monitor_print.h"
#include "ui/monitor/monitor_rerender.h"
#include "ui/monitor/monitor_text.h"
#include "ui/monitor/monitor_view.h"

namespace kestrum {

class Prompts;

enum class SaveStatus { Cancelled, Saved, Failed, Refused };

struct SaveDataResult {
    SaveStatus status = SaveStatus::Cancelled;
    QString path;       // the chosen file (Saved and Failed)
    QString errorText;  // why the write failed (Failed), the whole message (Refused)

    // The saved file's path, only when the text was written.
    std::optional<QString> SavedPath() const {
        return status == SaveStatus::Saved ? std::optional<QString>(path) : std::nullopt;
    }
};

class DataMonitor final : public QObject {
    Q_OBJECT

public:
    // The view (ReceiveBox) is created as a child of `viewParent` and the lamps as
    // children of `lampParent`, both to be placed by absolute geometry. This object
    // owns them: they are deleted with it if their parents have not done so first.
    // `capacity` (characters) is injectable for tests.
    DataMonitor(QWidget* viewParent, QWidget* lampParent, QObject* parent = nullptr,
                std::size_t capacity = kMonitorCapacity);
    ~DataMonitor() override;

    // Adds `text` (one byte per char) at the end in `colour`; the caret moves to the
    // end and any selection is removed. When memory runs out the monitor is emptied
    // rather than the process ended.
    void AppendText(std::string_view text, const QColor& colour);

    // Rewrites the whole text through `conversions` in order, each with Cr/Lf
    // pass-through requested (so CR and LF written into Ascii follow processCrLf),
    // each colour run in its own colour. A conversion that fails for lack of memory
    // empties the monitor. A re-render that takes longer than one slice goes on in slices
    // from the event loop: the view shows the old text meanwhile, and what is appended
    // (already in the new notation) waits, in order, until the new text is in place.
    void ReloadMonitor(std::span<const ModeConversion> conversions, bool processCrLf);
    bool Rerendering() const { return rerender_ != nullptr; }
    // Time given to each slice of a re-render (tests make it 0: one piece per slice).
    void SetRerenderSlice(std::chrono::milliseconds slice) {
        rerenderSlice_ = rerenderFirstSlice_ = slice;
    }

    // Milliseconds since the epoch for the arrival time of each append; tests inject one.
    void SetClock(std::function<std::int64_t()> clock) { clock_ = std::move(clock); }

    // Empties the monitor; a running re-render is dropped with what waited for it.
    void Clear();
    // The view follows the end again, wherever the user had scrolled to.
    void FollowEnd() {
        if (view_) {
            view_->ResumeFollowing();
        }
    }

    // Save dialog, then the plain text with CR LF breaks and one final CR LF, written
    // atomically. Shows no message: the caller decides what to tell the user. A re-render
    // still running when the dialog closes is finished first, so the file holds the text
    // in the notation the user chose. Print does the same.
    // `refusal` says why a chosen file must not be replaced (nullopt: it may be); nothing is
    // written then.
    using SaveRefusal = std::function<std::optional<QString>(const QString& path)>;
    SaveDataResult SaveData(Prompts& prompts, const QString& startDirectory = {},
                            const SaveRefusal& refusal = {});

    // Print dialog (selection preselected when there is one), then the selection or
    // the whole text with its colours, each page headed by `heading`. Cancel and printer
    // failures show nothing. The print goes a few pages at a time from the event loop; a long
    // one shows a progress window that can cancel it. Text that arrives meanwhile is added
    // once the print is done. PrintFinished reports how it ended: within this call when the
    // dialog was cancelled or the printer could not start.
    void PrintData(Prompts& prompts, const QString& heading = {});
    bool Printing() const { return print_ != nullptr; }
    // What PrintData prints once the dialog has closed: the selection when the user
    // chose it and there still is one (traffic that arrived meanwhile removes it),
    // otherwise the whole text.
    RowSpan PrintRange(bool selectionOnly) const;

    // Activity lamps.
    void LightTransmitLamp() { lamps_.LightTransmitLamp(); }
    void LightReceiveLamp() { lamps_.LightReceiveLamp(); }
    void HoldTransmitLamp() { lamps_.HoldTransmitLamp(); }
    void EnableLampTimer() { lamps_.EnableTimer(); }
    ActivityLamps& Lamps() { return lamps_; }

    // Selects a hit of Find, [from, to), and scrolls to it.
    void ShowFound(std::size_t from, std::size_t to) {
        if (view_) {
            view_->SelectAndShow(from, to);
        }
    }

    MonitorView* View() const { return view_; }
    const MonitorText& Text() const { return *text_; }
    // The text as the monitor reports it: every break as CR LF.
    std::string PlainText() const { return text_->Text(); }

signals:
    void PrintFinished(kestrum::PrintOutcome outcome);

private:
    struct PrintRun;

    void Sync();
    // While a print reads the text, or a re-render builds the next one, a change waits.
    void Defer(std::function<void()> change);
    bool MustDefer() const { return print_ || rerender_; }
    void RunDeferred();
    void AppendAt(std::string_view text, const QColor& colour, std::int64_t arrivalMs);
    void ContinueRerender();
    void CompleteRerender();
    void ContinuePrint();
    void EndPrint(PrintOutcome outcome);

    std::unique_ptr<MonitorText> text_;
    std::vector<std::function<void()>> deferred_;
    QPointer<MonitorView> view_;
    ActivityLamps lamps_;
    // Declared after text_, so destroyed before it: it reads the text.
    std::unique_ptr<MonitorRerender> rerender_;
    std::chrono::milliseconds rerenderSlice_;
    std::chrono::milliseconds rerenderFirstSlice_;
    std::function<std::int64_t()> clock_;
    QTimer rerenderTimer_;
    // Declared after text_, so destroyed before it: a print not finished is cancelled.
    std::unique_ptr<PrintRun> print_;
    QTimer printTimer_;
};

}  // namespace kestrum
