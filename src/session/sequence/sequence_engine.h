#pragma once
// The sequence engine, without I/O: the caller hands it the received bytes and the time, and
// takes from it the bytes to write and the verdicts, in order. It keeps no clock, timer or
// port of its own, so the runner, the window and the tests drive the same code, and a test
// can cut the received bytes anywhere.
//
// A driver:
//   engine.Start(now);
//   loop: write every Write output at once (a refused write: engine.PortFailed), show every
//         Verdict and Notice; then wait for received bytes (engine.Received) or for
//         NextDeadline() (engine.Tick), until Finished().

#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/sequence/sequence.h"
#include "session/sequence/stream_search.h"

namespace kestrum {

namespace sequence_text {

// %1 the expectation, %2 the timeout, %3 what arrived.
inline constexpr auto kExpectFailed = "expected \"%1\" within %2 ms, received %3";
inline constexpr auto kRegexFailed = "expected /%1/ within %2 ms, received %3";
// %1 the silence, %2 what arrived.
inline constexpr auto kSilenceFailed = "expected silence for %1 ms, received %2";
inline constexpr auto kReceivedNothing = "nothing";
// What arrived, when more came than a report shows: %1 the bytes shown, %2 the count.
inline constexpr auto kReceivedCut = "%1... (%2 bytes)";
inline constexpr auto kTooCostly = "the pattern is too costly to match";
inline constexpr auto kDeviceLost = "device lost";
inline constexpr auto kInterrupted = "interrupted";
// %1 the rule's number, %2 its when, %3 the count.
inline constexpr auto kReplyLoop =
    "Warning: reply %1 (%2) answered %3 times in this run and is stopped: it may be answering "
    "itself";
inline constexpr auto kReplyTooCostly =
    "Warning: reply %1 (%2) is stopped: the pattern is too costly to match";

}  // namespace sequence_text

enum class StepOutcome { Passed, Failed, Errored, Skipped };

struct StepVerdict {
    int number = 0;  // 1-based among all step runs (repeats counted)
    int total = 0;
    QString name;  // "Quiet after reset #2" for a repeated step
    StepOutcome outcome = StepOutcome::Passed;
    QString detail;     // why it failed or errored
    Millis elapsed{0};  // from the write (or the step's start) to the verdict
};

struct EngineOutput {
    enum class Kind { Write, Verdict, Notice };
    Kind kind = Kind::Write;
    std::string bytes;    // Write
    StepVerdict verdict;  // Verdict
    QString notice;       // Notice: a sentence for the report
    bool reply = false;   // Write: a reply rule's answer, not a step's send
};

class SequenceEngine {
public:
    explicit SequenceEngine(std::shared_ptr<const Sequence> sequence);
    ~SequenceEngine();

    // After the last step the reply rules go on answering until Interrupt (the window's auto
    // replies); call before Start.
    void KeepReplying() { keepReplying_ = true; }
    void Start(Millis now);
    // Bytes received at `now`.
    void Received(std::string_view bytes, Millis now);
    // Time has passed; call at NextDeadline() at the latest.
    void Tick(Millis now);
    // The port failed or went away: the step errors "device lost", the rest are skipped
    // (on_failure stop) or errored.
    void PortFailed(Millis now);
    // Stopped from outside (Ctrl+C): the step errors, the rest are skipped.
    void Interrupt(Millis now);

    std::vector<EngineOutput> TakeOutputs();
    // When Tick must be called next; nullopt while only received bytes can move the run.
    std::optional<Millis> NextDeadline() const;
    bool Finished() const;
    int TotalRuns() const { return static_cast<int>(runs_.size()); }
    // The step run in progress, 1-based; 0 before the start and after the end.
    int CurrentNumber() const;

private:
    struct Run {
        const SequenceStep* step;
        int repetition;  // 0 when the step is not repeated
    };
    struct Rule;
    struct PendingReply {
        Millis due;
        std::string bytes;
    };
    enum class Phase { Idle, Waiting, Expecting, Done };

    void Advance(Millis now);
    void BeginRun(Millis now);
    void Send(Millis now);
    void Conclude(Millis now, StepOutcome outcome, QString detail = {});
    void FinishRemaining(Millis now, StepOutcome rest, const QString& detail);
    // Every run not yet decided ends as `rest`; the run is over.
    void EndRemaining(StepOutcome rest, const QString& detail);
    void FeedStep(std::string_view bytes, Millis now);
    void FeedRules(std::string_view bytes, Millis now);
    void WriteDueReplies(Millis now);
    void Write(std::string bytes, bool reply = false);
    QString Received() const;
    QString RunName(const Run& run) const;

    std::shared_ptr<const Sequence> sequence_;
    std::vector<Run> runs_;
    std::vector<std::unique_ptr<Rule>> rules_;
    std::vector<PendingReply> replies_;
    std::vector<EngineOutput> outputs_;

    std::size_t current_ = 0;
    Phase phase_ = Phase::Idle;
    bool keepReplying_ = false;
    bool stopAfter_ = false;  // a failure under on_failure stop: the rest are skipped
    Millis started_{0};       // the run's start, or its write once written
    Millis deadline_{0};      // Waiting: the send; Expecting: the timeout or the silence
    std::optional<ByteSearch> bytes_;
    std::optional<RegexSearch> regex_;
    std::string received_;  // the start of what the step received, for its report
    std::size_t receivedCount_ = 0;
};

}  // namespace kestrum
