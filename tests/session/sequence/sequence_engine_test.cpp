#include "session/sequence/sequence_engine.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "session/sequence/sequence_file.h"

namespace kestrum {
namespace {

std::shared_ptr<const Sequence> Load(const std::string& text) {
    SequenceLoad load = ParseSequence(text, QStringLiteral("test.ksq"));
    EXPECT_TRUE(load.sequence) << load.error.Text().toStdString();
    return std::make_shared<const Sequence>(load.sequence ? *load.sequence : Sequence{});
}

// A device on simulated time: each write is answered after `latency` with the scripted reply,
// handed to the engine in pieces cut by `cut` (piece sizes, used in turn; empty: one piece).
struct Device {
    std::map<std::string, std::string> answers;
    Millis latency{5};
    bool echoes = false;  // answers every write with itself (for reply loops)
};

struct RunResult {
    std::vector<StepVerdict> verdicts;
    std::vector<std::string> writes;
    std::vector<QString> notices;
    Millis end{0};
};

RunResult Simulate(std::shared_ptr<const Sequence> sequence, const Device& device,
                   const std::vector<std::size_t>& cut = {}) {
    SequenceEngine engine(std::move(sequence));
    RunResult result;
    std::multimap<Millis, std::string> arrivals;
    std::size_t nextCut = 0;
    Millis now{0};
    engine.Start(now);
    for (int guard = 0; guard < 100000; ++guard) {
        for (EngineOutput& out : engine.TakeOutputs()) {
            if (out.kind == EngineOutput::Kind::Verdict) {
                result.verdicts.push_back(out.verdict);
            } else if (out.kind == EngineOutput::Kind::Notice) {
                result.notices.push_back(out.notice);
            } else {
                result.writes.push_back(out.bytes);
                const auto answer = device.answers.find(out.bytes);
                const std::string reply = device.echoes                    ? out.bytes
                                          : answer != device.answers.end() ? answer->second
                                                                           : std::string();
                for (std::size_t at = 0; at < reply.size();) {
                    const std::size_t size =
                        cut.empty() ? reply.size()
                                    : std::max<std::size_t>(1, cut[nextCut++ % cut.size()]);
                    arrivals.emplace(now + device.latency, reply.substr(at, size));
                    at += size;
                }
            }
        }
        if (engine.Finished()) {
            break;
        }
        const std::optional<Millis> deadline = engine.NextDeadline();
        if (!arrivals.empty() && (!deadline || arrivals.begin()->first <= *deadline)) {
            now = arrivals.begin()->first;
            engine.Received(arrivals.begin()->second, now);
            arrivals.erase(arrivals.begin());
        } else if (deadline) {
            now = *deadline;
            engine.Tick(now);
        } else {
            ADD_FAILURE() << "the run waits for nothing";
            break;
        }
    }
    result.end = now;
    return result;
}

std::string Outcomes(const RunResult& result) {
    std::string text;
    for (const StepVerdict& v : result.verdicts) {
        text += "PFES"[static_cast<int>(v.outcome)];
    }
    return text;
}

const Device kDimmer{{{"AT\r", "OK\r\n"},
                      {"VER?\r", "V1.2\r\n"},
                      {"P3\r", "ERR 7\r"},
                      {"P4\r", "ACK 12\r"},
                      {"RST\r", ""},
                      {"NOISE\r", "xx"},
                      {std::string("\x01\x02\x81\xE1", 4), std::string("\x01\x02", 2)}}};

struct Case {
    const char* why;
    std::string file;
    const char* outcomes;  // one letter per step run: Passed, Failed, Errored, Skipped
    const char* detail;    // a piece of the first failing step's detail
};

const Case kCases[] = {
    {"expect found", "[[step]]\nsend = \"VER?^M\"\nexpect = \"V1.\"\n", "P", ""},
    {"expect never comes", "[[step]]\nsend = \"P3^M\"\nexpect = \"ACK\"\ntimeout_ms = 100\n", "F",
     "expected \"ACK\" within 100 ms, received \"ERR 7^M\""},
    {"no answer at all", "[[step]]\nsend = \"XX\"\nexpect = \"OK\"\n", "F",
     "within 1000 ms, received nothing"},
    {"regex", "[[step]]\nsend = \"P4^M\"\nexpect_regex = \"ACK [0-9]+\\\\r\"\n", "P", ""},
    {"regex fails", "[[step]]\nsend = \"P3^M\"\nexpect_regex = \"ACK [0-9]+\\\\r\"\n", "F",
     "expected /ACK [0-9]+\\r/ within 1000 ms, received \"ERR 7^M\""},
    {"silence kept", "[[step]]\nsend = \"RST^M\"\nexpect_silence_ms = 300\nrepeat = 2\n", "PP", ""},
    {"silence broken", "[[step]]\nsend = \"NOISE^M\"\nexpect_silence_ms = 300\n", "F",
     "expected silence for 300 ms, received \"xx\""},
    {"no expectation passes when written", "[[step]]\nsend = \"RST^M\"\n", "P", ""},
    {"continue after a failure",
     "[[step]]\nsend = \"P3^M\"\nexpect = \"ACK\"\n[[step]]\nsend = \"AT^M\"\nexpect = \"OK\"\n",
     "FP", "ERR 7"},
    {"stop after a failure",
     "on_failure = \"stop\"\n[[step]]\nsend = \"P3^M\"\nexpect = \"ACK\"\n[[step]]\nsend = "
     "\"AT^M\"\nexpect = \"OK\"\nrepeat = 2\n",
     "FSS", "ERR 7"},
    {"checksummed send, Hex expectation",
     "[[step]]\nsend = \"^A^B\"\nchecksum = \"CRC-16/MODBUS  (low byte first)\"\nexpect = "
     "\"^A^B\"\n",
     "P", ""},
    {"a pathological pattern errors the step",
     "[[step]]\nsend = \"FLOOD^M\"\nexpect_regex = \"(a|aa)*c\"\n", "E",
     "the pattern is too costly to match"},
};

class SequenceEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        device_ = kDimmer;
        device_.answers["FLOOD\r"] = std::string(20000, 'a');
    }
    Device device_;
};

TEST_F(SequenceEngineTest, Verdicts) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.why);
        const RunResult result = Simulate(Load(c.file), device_);
        EXPECT_EQ(Outcomes(result), c.outcomes);
        for (const StepVerdict& v : result.verdicts) {
            if (v.outcome != StepOutcome::Passed) {
                EXPECT_TRUE(v.detail.contains(QString::fromLatin1(c.detail)))
                    << v.detail.toStdString();
                break;
            }
        }
    }
}

// The same received bytes cut anywhere give the same verdicts as in one piece.
TEST_F(SequenceEngineTest, CutAnywhere) {
    std::mt19937 random(25);
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.why);
        const auto sequence = Load(c.file);
        const RunResult whole = Simulate(sequence, device_);
        for (int trial = 0; trial < 50; ++trial) {
            std::vector<std::size_t> cut(7);
            for (auto& size : cut) {
                size = std::uniform_int_distribution<std::size_t>(1, trial % 2 ? 3 : 9000)(random);
            }
            const RunResult pieces = Simulate(sequence, device_, cut);
            ASSERT_EQ(Outcomes(pieces), Outcomes(whole));
            for (std::size_t i = 0; i < whole.verdicts.size(); ++i) {
                EXPECT_EQ(pieces.verdicts[i].name, whole.verdicts[i].name);
                EXPECT_EQ(pieces.verdicts[i].elapsed, whole.verdicts[i].elapsed);
            }
        }
    }
}

TEST_F(SequenceEngineTest, TimingAndNames) {
    const RunResult result = Simulate(
        Load("[[step]]\nname = \"Quiet\"\nwait_ms = 200\nsend = \"RST^M\"\nexpect_silence_ms = "
             "300\nrepeat = 2\n[[step]]\nname = \"V\"\nsend = \"VER?^M\"\nexpect = \"V1.\"\n"),
        device_);
    ASSERT_EQ(result.verdicts.size(), 3u);
    EXPECT_EQ(result.verdicts[0].name, "Quiet #1");
    EXPECT_EQ(result.verdicts[1].name, "Quiet #2");
    EXPECT_EQ(result.verdicts[1].number, 2);
    EXPECT_EQ(result.verdicts[1].total, 3);
    EXPECT_EQ(result.verdicts[0].elapsed, Millis(300)) << "counted from the write";
    EXPECT_EQ(result.verdicts[2].elapsed, Millis(5));
    EXPECT_EQ(result.end, Millis(2 * 500 + 5));
}

TEST_F(SequenceEngineTest, ReplyRules) {
    Device device = device_;
    device.answers["HELLO\r"] = "login: ";
    device.answers["admin\r"] = "OK\r\n";
    const RunResult result = Simulate(Load(R"([[step]]
send = "HELLO^M"
expect = "OK"
[[reply]]
when = "login:"
send = "admin^M"
delay_ms = 50
once = true
)"),
                                      device);
    EXPECT_EQ(Outcomes(result), "P");
    EXPECT_EQ(result.writes, (std::vector<std::string>{"HELLO\r", "admin\r"}));
    EXPECT_EQ(result.verdicts[0].elapsed, Millis(5 + 50 + 5));
}

// A rule that answers its own trigger on an echoing device is bounded and said.
TEST_F(SequenceEngineTest, ReplyLoopIsBounded) {
    Device echo;
    echo.echoes = true;
    echo.latency = Millis(1);
    const RunResult result = Simulate(
        Load("[[step]]\nsend = \"ping\"\nexpect = \"never\"\ntimeout_ms = 5000\n[[reply]]\nwhen = "
             "\"ping\"\nsend = \"ping\"\n"),
        echo);
    EXPECT_EQ(Outcomes(result), "F");
    EXPECT_EQ(result.writes.size(), 1u + sequence_limits::kMaxReplies);
    ASSERT_EQ(result.notices.size(), 1u);
    EXPECT_TRUE(result.notices[0].contains("answered 1000 times"));
}

// Auto replies: after the steps the rules go on answering until interrupted, and a steady
// exchange of hours is no loop; only answers crowded into kReplyLoopWindow are.
TEST_F(SequenceEngineTest, KeptRepliesAnswerUntilInterruptedAndOnlyACrowdIsALoop) {
    auto rules = std::make_shared<Sequence>(
        *Load("[[step]]\nsend = \"x\"\n[[reply]]\nwhen = \"POLL\"\nsend = \"ACK\"\n"));
    rules->steps.clear();
    SequenceEngine engine(rules);
    engine.KeepReplying();
    engine.Start(Millis(0));
    int answers = 0;
    const auto feed = [&](Millis now) {
        engine.Received("POLL", now);
        for (const EngineOutput& out : engine.TakeOutputs()) {
            EXPECT_NE(out.kind, EngineOutput::Kind::Notice);
            answers += out.kind == EngineOutput::Kind::Write && out.reply ? 1 : 0;
        }
    };
    for (int i = 0; i < 3 * sequence_limits::kMaxReplies; ++i) {
        feed(Millis(i * 20));  // 50 a second, for a minute
    }
    EXPECT_EQ(answers, 3 * sequence_limits::kMaxReplies);
    EXPECT_FALSE(engine.Finished());
    engine.Interrupt(Millis(100000));
    EXPECT_TRUE(engine.Finished());
}

TEST_F(SequenceEngineTest, DeviceLostAndInterrupt) {
    const auto sequence = Load(
        "[[step]]\nsend = \"AT^M\"\nexpect = \"OK\"\n[[step]]\nsend = \"XX\"\nexpect = "
        "\"OK\"\n[[step]]\nsend = \"AT^M\"\n");
    SequenceEngine lost(sequence);
    lost.Start(Millis(0));
    lost.Received("OK\r\n", Millis(3));
    lost.PortFailed(Millis(10));
    std::string outcomes;
    for (const EngineOutput& out : lost.TakeOutputs()) {
        if (out.kind == EngineOutput::Kind::Verdict) {
            outcomes += "PFES"[static_cast<int>(out.verdict.outcome)];
            if (out.verdict.number > 1) {
                EXPECT_EQ(out.verdict.detail, "device lost");
            }
        }
    }
    EXPECT_EQ(outcomes, "PEE") << "on_failure continue: the rest error too";
    EXPECT_TRUE(lost.Finished());

    SequenceEngine stopped(sequence);
    stopped.Start(Millis(0));
    stopped.Interrupt(Millis(1));
    outcomes.clear();
    for (const EngineOutput& out : stopped.TakeOutputs()) {
        if (out.kind == EngineOutput::Kind::Verdict) {
            outcomes += "PFES"[static_cast<int>(out.verdict.outcome)];
        }
    }
    EXPECT_EQ(outcomes, "ESS");
}

// A flood during an expect: the expected bytes are still found, memory stays bounded.
TEST_F(SequenceEngineTest, FloodKeepsFindingTheExpectation) {
    for (const char* expect : {"expect = \"END\"", "expect_regex = \"E[N]D\""}) {
        SCOPED_TRACE(expect);
        SequenceEngine engine(
            Load("[[step]]\nsend = \"GO\"\n" + std::string(expect) + "\ntimeout_ms = 60000\n"));
        engine.Start(Millis(0));
        const std::string chunk(4096, 'x');
        for (int i = 0; i < 2560; ++i) {  // 10 MiB
            engine.Received(chunk, Millis(1));
        }
        EXPECT_FALSE(engine.Finished());
        engine.Received("xxEN", Millis(2));
        engine.Received("Dyy", Millis(2));
        EXPECT_TRUE(engine.Finished());
    }
}

}  // namespace
}  // namespace kestrum
