#include "session/sequence/sequence_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "storage/command_set_file.h"

namespace kestrum {
namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

class SequenceFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        CommandSet set;
        set[0] = {"Reset", "1B 40 "};
        set[2] = {"Preset 3", "50 33 0D "};
        ASSERT_TRUE(WriteCommandSet(dir_.filePath("dimmer.cmd"), set));
    }

    SequenceLoad Parse(const std::string& text) {
        return ParseSequence(text, dir_.filePath("rack.ksq"));
    }

    QTemporaryDir dir_;
};

TEST_F(SequenceFileTest, EveryKeyIsRead) {
    const SequenceLoad load = Parse(R"toml(
name = "Dimmer rack check"
notation = "Ascii"
settings = "9600,n,8,1"
timeout_ms = 700
command_set = "dimmer.cmd"
on_failure = "stop"

[[step]]
name = "Version"
send = "VER?^M"
expect = "V1."
timeout_ms = 500

[[step]]
command = "Preset 3"
expect_regex = "ACK [0-9]+\\r"

[[step]]
name = "By number"
command = 1
checksum = "XOR"

[[step]]
send = "123456789"
checksum = "CRC-16/MODBUS  (low byte first)"
wait_ms = 200
expect_silence_ms = 300
repeat = 3

[[reply]]
when_regex = "log(in|on):"
send = "admin^M"
delay_ms = 50
once = true
)toml");
    ASSERT_TRUE(load.sequence) << load.error.Text().toStdString();
    const Sequence& s = *load.sequence;
    EXPECT_EQ(s.name, "Dimmer rack check");
    EXPECT_EQ(s.settings, QString("9600,n,8,1"));
    EXPECT_EQ(s.onFailure, OnFailure::Stop);
    ASSERT_EQ(s.steps.size(), 4u);
    EXPECT_EQ(s.steps[0].send, "VER?\r");
    EXPECT_EQ(s.steps[0].expect.bytes, "V1.");
    EXPECT_EQ(s.steps[0].timeout, Millis(500));
    EXPECT_EQ(s.steps[1].name, "Step 2") << "an unnamed step is named by its place";
    EXPECT_EQ(s.steps[1].send, "P3\r");
    EXPECT_EQ(s.steps[1].timeout, Millis(700)) << "the file's default timeout";
    EXPECT_EQ(s.steps[1].expect.kind, Expectation::Kind::Regex);
    EXPECT_EQ(s.steps[2].send, "\x1B\x40\x5B");
    EXPECT_EQ(s.steps[3].send, "1234567897K") << "CRC appended low byte first";
    EXPECT_EQ(s.steps[3].wait, Millis(200));
    EXPECT_EQ(s.steps[3].expect.silence, Millis(300));
    EXPECT_EQ(s.steps[3].repeat, 3);
    ASSERT_EQ(s.replies.size(), 1u);
    EXPECT_EQ(s.replies[0].send, "admin\r");
    EXPECT_EQ(s.replies[0].delay, Millis(50));
    EXPECT_TRUE(s.replies[0].once);
}

TEST_F(SequenceFileTest, NotationsAndDefaults) {
    const SequenceLoad hex =
        Parse("notation = \"Hex\"\n[[step]]\nsend = \"41 0D\"\nexpect = \"4F 4B \"\n");
    ASSERT_TRUE(hex.sequence) << hex.error.Text().toStdString();
    EXPECT_EQ(hex.sequence->steps[0].send, "A\r") << "the last separator may be left out";
    EXPECT_EQ(hex.sequence->steps[0].expect.written, "4F 4B");
    EXPECT_EQ(hex.sequence->name, "rack") << "the file's base name";
    EXPECT_EQ(hex.sequence->steps[0].timeout, Millis(1000));
    EXPECT_EQ(hex.sequence->onFailure, OnFailure::Continue);
}

// Each mistake with the line and column it is reported at and a piece of its message.
TEST_F(SequenceFileTest, MistakesAreFoundWithTheirPlace) {
    struct Case {
        const char* why;
        std::string text;
        int line, column;
        const char* message;
    };
    const Case cases[] = {
        {"malformed TOML", "[[step]]\nsend = \"AT\n", 2, 0, ""},
        {"a typo in a key", "[[step]]\nsend = \"AT\"\nexpcet = \"OK\"\n", 3, 1,
         "unknown key \"expcet\""},
        {"a typo at the top", "timeout = 5\n[[step]]\n", 1, 1, "unknown key \"timeout\""},
        {"wrong type", "[[step]]\ntimeout_ms = \"500\"\n", 2, 14, "must be a whole number"},
        {"negative wait", "[[step]]\nwait_ms = -1\n", 2, 11, "between 0 and"},
        {"repeat zero", "[[step]]\nrepeat = 0\n", 2, 10, "between 1 and 10000"},
        {"Hex refused", "notation = \"Hex\"\n[[step]]\nsend = \"4G\"\n", 3, 8,
         "\"send\": Error - Each Hex value must be in the range 00-FF"},
        {"Decimal refused", "notation = \"Decimal\"\n[[step]]\nexpect = \"256\"\n", 3, 10,
         "Error - Each Decimal value must be in the range 000-255"},
        {"too many spaces", "notation = \"Hex\"\n[[step]]\nsend = \"41  42\"\n", 3, 8,
         "Error - Too many spaces"},
        {"not Latin-1", "[[step]]\nsend = \"\xE2\x82\xAC\"\n", 2, 8,
         "Error - Only characters of the Latin-1 character set can be entered"},
        {"unknown checksum", "[[step]]\nsend = \"A\"\nchecksum = \"CRC-99\"\n", 3, 12,
         "unknown checksum \"CRC-99\""},
        {"command not in the set",
         "command_set = \"dimmer.cmd\"\n[[step]]\ncommand = \"Preset 9\"\n", 3, 11,
         "\"Preset 9\" is not a command of dimmer.cmd"},
        {"command number out of range", "command_set = \"dimmer.cmd\"\n[[step]]\ncommand = 41\n", 3,
         11, "between 1 and 40"},
        {"command without a set", "[[step]]\ncommand = \"Reset\"\n", 2, 11, "needs a command_set"},
        {"missing command set", "command_set = \"none.cmd\"\n[[step]]\n", 1, 15,
         "the command set none.cmd could not be read"},
        {"regex does not compile", "[[step]]\nexpect_regex = \"ACK (\"\n", 2, 16,
         "does not compile: missing closing parenthesis"},
        {"two expectations", "[[step]]\nexpect = \"A\"\nexpect_silence_ms = 5\n", 1, 1,
         "at most one of"},
        {"send and command", "command_set = \"dimmer.cmd\"\n[[step]]\nsend = \"A\"\ncommand = 1\n",
         4, 11, "not both"},
        {"expectation of no byte", "[[step]]\nexpect = \"^\"\n", 2, 10, "stands for no byte"},
        {"step as a table", "[step]\nsend = \"A\"\n", 1, 1, "[[step]] tables"},
        {"reply without when", "[[step]]\n[[reply]]\nsend = \"A\"\n", 2, 1, "one of when"},
        {"bad notation", "notation = \"hex\"\n[[step]]\n", 1, 12, "Ascii, Hex or Decimal"},
        {"bad settings", "settings = \"fast\"\n[[step]]\n", 1, 12, "line settings"},
        {"bad on_failure", "on_failure = \"retry\"\n[[step]]\n", 1, 14, "continue or stop"},
        {"no step", "name = \"x\"\n", 1, 1, "holds no [[step]]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const SequenceLoad load = Parse(c.text);
        ASSERT_FALSE(load.sequence);
        EXPECT_EQ(load.error.line, c.line);
        if (c.column > 0) {
            EXPECT_EQ(load.error.column, c.column);
        }
        EXPECT_TRUE(load.error.message.contains(QString::fromUtf8(c.message)))
            << load.error.Text().toStdString();
        EXPECT_TRUE(load.error.Text().startsWith(dir_.filePath("rack.ksq") + ':'));
    }
}

TEST_F(SequenceFileTest, ManySteps) {
    std::string text;
    for (int i = 0; i < 10000; ++i) {
        text += "[[step]]\nsend = \"AT^M\"\nexpect = \"OK\"\n";
    }
    const SequenceLoad load = Parse(text);
    ASSERT_TRUE(load.sequence) << load.error.Text().toStdString();
    EXPECT_EQ(load.sequence->steps.size(), 10000u);
    EXPECT_FALSE(Parse(text + "[[step]]\nrepeat = 10000\n[[step]]\nrepeat = 10000\n"
                              "[[step]]\nrepeat = 10000\n[[step]]\nrepeat = 10000\n"
                              "[[step]]\nrepeat = 10000\n[[step]]\nrepeat = 10000\n"
                              "[[step]]\nrepeat = 10000\n[[step]]\nrepeat = 10000\n"
                              "[[step]]\nrepeat = 10000\n[[step]]\nrepeat = 10000\n")
                     .sequence)
        << "more than 100000 runs";
}

// The file rule of every file the user names: a regular file of a sane size, readable text.
TEST_F(SequenceFileTest, HostileFiles) {
    const QString fifo = dir_.filePath("fifo.ksq");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const QString big = dir_.filePath("big.ksq");
    {
        QFile file(big);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(100 << 20));  // sparse: 100 MB without writing them
    }
    const QString binary = dir_.filePath("binary.ksq");
    WriteFile(binary, QByteArray("\x7F"
                                 "ELF\x02\x01\x01\x00\xFF\xFE",
                                 10));
    const QString empty = dir_.filePath("empty.ksq");
    WriteFile(empty, {});
    const struct {
        QString path;
        const char* message;
    } cases[] = {{fifo, "Not a regular file"},
                 {big, "larger than 4 MiB"},
                 {binary, ""},
                 {empty, "holds no [[step]]"},
                 {dir_.filePath("missing.ksq"), ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const SequenceLoad load = LoadSequenceFile(c.path);
        EXPECT_FALSE(load.sequence);
        EXPECT_TRUE(load.error.message.contains(QString::fromLatin1(c.message)))
            << load.error.Text().toStdString();
    }
}

}  // namespace
}  // namespace kestrum
