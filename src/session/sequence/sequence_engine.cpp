#include "session/sequence/sequence_engine.h"

#include <algorithm>

#include "notation/received_formatter.h"

namespace kestrum {

using namespace sequence_text;

namespace {

// A report shows at most this many of the bytes a step received.
constexpr std::size_t kShownBytes = 256;

QString Text(const char* format) {
    return QString::fromLatin1(format);
}

QString Quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// How a reply rule or an expectation is named in a report.
QString Described(const Expectation& expect) {
    return expect.kind == Expectation::Kind::Regex
               ? QLatin1Char('/') + expect.written + QLatin1Char('/')
               : Quoted(expect.written);
}

}  // namespace

QString WrittenBytes(std::string_view bytes, DisplayMode mode) {
    std::string text = FormatReceived(bytes, mode, /*processCrLf=*/false);
    if (mode != DisplayMode::Ascii) {
        // A separator, not a byte.
        text.erase(text.find_last_not_of(' ') + 1);
    }
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

struct SequenceEngine::Rule {
    const ReplyRule* rule;
    int number;
    std::optional<ByteSearch> bytes;
    std::optional<RegexSearch> regex;
    int answers = 0;
    Millis since{0};  // auto replies: the start of the time the answers are counted in
    bool active = true;
};

SequenceEngine::SequenceEngine(std::shared_ptr<const Sequence> sequence)
    : sequence_(std::move(sequence)) {
    for (const SequenceStep& step : sequence_->steps) {
        for (int i = 0; i < step.repeat; ++i) {
            runs_.push_back({&step, step.repeat > 1 ? i + 1 : 0});
        }
    }
    int number = 0;
    for (const ReplyRule& reply : sequence_->replies) {
        auto rule = std::make_unique<Rule>(Rule{&reply, ++number, {}, {}});
        if (reply.when.kind == Expectation::Kind::Regex) {
            rule->regex.emplace(reply.when.regex);
        } else {
            rule->bytes.emplace(reply.when.bytes);
        }
        rules_.push_back(std::move(rule));
    }
}

SequenceEngine::~SequenceEngine() = default;

void SequenceEngine::Start(Millis now) {
    if (phase_ == Phase::Idle && current_ == 0) {
        Advance(now);
    }
}

void SequenceEngine::Received(std::string_view bytes, Millis now) {
    if (phase_ == Phase::Done || bytes.empty()) {
        return;
    }
    // A deadline that passed before these bytes came is decided first.
    Advance(now);
    FeedRules(bytes, now);
    if (phase_ == Phase::Expecting) {
        FeedStep(bytes, now);
    }
    Advance(now);
}

void SequenceEngine::Tick(Millis now) {
    Advance(now);
}

void SequenceEngine::PortFailed(Millis now) {
    const bool stop = sequence_->onFailure == OnFailure::Stop || stopAfter_;
    FinishRemaining(now, stop ? StepOutcome::Skipped : StepOutcome::Errored, Text(kDeviceLost));
}

void SequenceEngine::Interrupt(Millis now) {
    FinishRemaining(now, StepOutcome::Skipped, Text(kInterrupted));
}

// The step in progress errors with `detail`; every later run ends as `rest`.
void SequenceEngine::FinishRemaining(Millis now, StepOutcome rest, const QString& detail) {
    if (phase_ == Phase::Done) {
        return;
    }
    if (phase_ == Phase::Waiting || phase_ == Phase::Expecting) {
        Conclude(now, StepOutcome::Errored, detail);
    }
    EndRemaining(rest, detail);
}

void SequenceEngine::EndRemaining(StepOutcome rest, const QString& detail) {
    for (; current_ < runs_.size(); ++current_) {
        StepVerdict verdict{static_cast<int>(current_) + 1,
                            TotalRuns(),
                            RunName(runs_[current_]),
                            rest,
                            rest == StepOutcome::Errored ? detail : QString(),
                            Millis(0)};
        outputs_.push_back({EngineOutput::Kind::Verdict, {}, std::move(verdict), {}});
    }
    replies_.clear();
    phase_ = Phase::Done;
}

std::vector<EngineOutput> SequenceEngine::TakeOutputs() {
    return std::exchange(outputs_, {});
}

std::optional<Millis> SequenceEngine::NextDeadline() const {
    std::optional<Millis> next;
    if (phase_ == Phase::Waiting || phase_ == Phase::Expecting) {
        next = deadline_;
    }
    if (!replies_.empty() && (!next || replies_.front().due < *next)) {
        next = replies_.front().due;
    }
    return next;
}

bool SequenceEngine::Finished() const {
    return phase_ == Phase::Done;
}

int SequenceEngine::CurrentNumber() const {
    return phase_ == Phase::Waiting || phase_ == Phase::Expecting ? static_cast<int>(current_) + 1
                                                                  : 0;
}

void SequenceEngine::Advance(Millis now) {
    WriteDueReplies(now);
    for (;;) {
        switch (phase_) {
            case Phase::Done:
                return;
            case Phase::Idle:
                if (current_ >= runs_.size()) {
                    if (keepReplying_) {
                        return;
                    }
                    phase_ = Phase::Done;
                    replies_.clear();
                    return;
                }
                if (stopAfter_) {
                    EndRemaining(StepOutcome::Skipped, {});
                    return;
                }
                BeginRun(now);
                continue;
            case Phase::Waiting:
                if (now < deadline_) {
                    return;
                }
                Send(now);
                continue;
            case Phase::Expecting:
                if (now < deadline_) {
                    return;
                }
                if (runs_[current_].step->expect.kind == Expectation::Kind::Silence) {
                    Conclude(now, StepOutcome::Passed);
                } else {
                    const Expectation& expect = runs_[current_].step->expect;
                    const char* format =
                        expect.kind == Expectation::Kind::Regex ? kRegexFailed : kExpectFailed;
                    Conclude(now, StepOutcome::Failed,
                             Text(format)
                                 .arg(expect.written)
                                 .arg(runs_[current_].step->timeout.count())
                                 .arg(Received()));
                }
                continue;
        }
    }
}

void SequenceEngine::BeginRun(Millis now) {
    const SequenceStep& step = *runs_[current_].step;
    started_ = now;
    received_.clear();
    receivedCount_ = 0;
    if (step.wait.count() > 0) {
        phase_ = Phase::Waiting;
        deadline_ = now + step.wait;
    } else {
        Send(now);
    }
}

void SequenceEngine::Send(Millis now) {
    const SequenceStep& step = *runs_[current_].step;
    if (!step.send.empty()) {
        Write(step.send);
    }
    // What counts for the step is what arrives from here on.
    started_ = now;
    received_.clear();
    receivedCount_ = 0;
    bytes_.reset();
    regex_.reset();
    switch (step.expect.kind) {
        case Expectation::Kind::None:
            Conclude(now, StepOutcome::Passed);
            return;
        case Expectation::Kind::Bytes:
            bytes_.emplace(step.expect.bytes);
            deadline_ = now + step.timeout;
            break;
        case Expectation::Kind::Regex:
            regex_.emplace(step.expect.regex);
            deadline_ = now + step.timeout;
            break;
        case Expectation::Kind::Silence:
            deadline_ = now + step.expect.silence;
            break;
    }
    phase_ = Phase::Expecting;
}

void SequenceEngine::Conclude(Millis now, StepOutcome outcome, QString detail) {
    StepVerdict verdict{static_cast<int>(current_) + 1,
                        TotalRuns(),
                        RunName(runs_[current_]),
                        outcome,
                        std::move(detail),
                        now - started_};
    outputs_.push_back({EngineOutput::Kind::Verdict, {}, std::move(verdict), {}});
    if ((outcome == StepOutcome::Failed || outcome == StepOutcome::Errored) &&
        sequence_->onFailure == OnFailure::Stop) {
        stopAfter_ = true;
    }
    bytes_.reset();
    regex_.reset();
    ++current_;
    phase_ = Phase::Idle;
}

void SequenceEngine::FeedStep(std::string_view bytes, Millis now) {
    if (received_.size() < kShownBytes) {
        received_.append(bytes.substr(0, kShownBytes - received_.size()));
    }
    receivedCount_ += bytes.size();
    const Expectation& expect = runs_[current_].step->expect;
    switch (expect.kind) {
        case Expectation::Kind::Bytes:
            if (bytes_->Feed(bytes)) {
                Conclude(now, StepOutcome::Passed);
            }
            return;
        case Expectation::Kind::Regex:
            switch (regex_->Feed(bytes)) {
                case RegexSearch::Result::Match:
                    Conclude(now, StepOutcome::Passed);
                    return;
                case RegexSearch::Result::TooCostly:
                    Conclude(now, StepOutcome::Errored, Text(kTooCostly));
                    return;
                case RegexSearch::Result::NoMatch:
                    return;
            }
            return;
        case Expectation::Kind::Silence:
            Conclude(now, StepOutcome::Failed,
                     Text(kSilenceFailed).arg(expect.silence.count()).arg(Received()));
            return;
        case Expectation::Kind::None:
            return;
    }
}

// Each rule answers at most once per piece: a reply that contains its own trigger comes back
// as a new piece, so a loop costs one answer per round trip and is counted.
void SequenceEngine::FeedRules(std::string_view bytes, Millis now) {
    for (const auto& rule : rules_) {
        if (!rule->active) {
            continue;
        }
        bool matched = false;
        if (rule->bytes) {
            matched = rule->bytes->Feed(bytes).has_value();
        } else {
            const RegexSearch::Result result = rule->regex->Feed(bytes);
            if (result == RegexSearch::Result::TooCostly) {
                rule->active = false;
                outputs_.push_back(
                    {EngineOutput::Kind::Notice,
                     {},
                     {},
                     Text(kReplyTooCostly).arg(rule->number).arg(Described(rule->rule->when))});
                continue;
            }
            matched = result == RegexSearch::Result::Match;
        }
        if (!matched) {
            continue;
        }
        if (rule->bytes) {
            rule->bytes->Reset();
        } else {
            rule->regex->Reset();
        }
        const PendingReply reply{now + rule->rule->delay, rule->rule->send};
        replies_.insert(
            std::upper_bound(replies_.begin(), replies_.end(), reply.due,
                             [](Millis due, const PendingReply& r) { return due < r.due; }),
            reply);
        if (keepReplying_ && now - rule->since >= sequence_limits::kReplyLoopWindow) {
            rule->since = now;
            rule->answers = 0;
        }
        ++rule->answers;
        if (rule->rule->once) {
            rule->active = false;
        } else if (rule->answers >= sequence_limits::kMaxReplies) {
            rule->active = false;
            outputs_.push_back({EngineOutput::Kind::Notice,
                                {},
                                {},
                                Text(kReplyLoop)
                                    .arg(rule->number)
                                    .arg(Described(rule->rule->when))
                                    .arg(rule->answers)});
        }
    }
}

void SequenceEngine::WriteDueReplies(Millis now) {
    auto due = replies_.begin();
    for (; due != replies_.end() && due->due <= now; ++due) {
        Write(std::move(due->bytes), /*reply=*/true);
    }
    replies_.erase(replies_.begin(), due);
}

void SequenceEngine::Write(std::string bytes, bool reply) {
    if (!bytes.empty()) {
        outputs_.push_back({EngineOutput::Kind::Write, std::move(bytes), {}, {}, reply});
    }
}

QString SequenceEngine::Received() const {
    if (receivedCount_ == 0) {
        return Text(kReceivedNothing);
    }
    const QString shown = Quoted(WrittenBytes(received_, sequence_->notation));
    return receivedCount_ > received_.size() ? Text(kReceivedCut).arg(shown).arg(receivedCount_)
                                             : shown;
}

QString SequenceEngine::RunName(const Run& run) const {
    return run.repetition == 0 ? run.step->name
                               : QStringLiteral("%1 #%2").arg(run.step->name).arg(run.repetition);
}

}  // namespace kestrum
