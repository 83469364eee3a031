#include "session/sequence/sequence_file.h"

#include <toml++/toml.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "notation/checksum.h"
#include "notation/entry_validation.h"
#include "platform/port_settings.h"
#include "storage/command_set_file.h"
#include "storage/regular_file.h"

namespace kestrum {

using namespace sequence_text;

QRegularExpression LimitedRegex(const QString& pattern) {
    // A start-of-pattern option PCRE2 honours; it can only lower the library's own limit.
    return QRegularExpression(
        QStringLiteral("(*LIMIT_MATCH=%1)").arg(sequence_limits::kRegexMatchLimit) + pattern);
}

QString SequenceFileError::Text() const {
    if (line <= 0) {
        return QStringLiteral("%1: %2").arg(path, message);
    }
    return QStringLiteral("%1:%2:%3: %4").arg(path).arg(line).arg(column).arg(message);
}

namespace {

// The first mistake, thrown from deep inside the check and caught once in ParseSequence.
struct Mistake {
    toml::source_position where;
    QString message;
};

[[noreturn]] void Refuse(const toml::source_region& where, const QString& message) {
    throw Mistake{where.begin, message};
}

QString Text(const char* format) {
    return QString::fromLatin1(format);
}

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Reads one table's keys against the keys it may hold; the lookups below then never miss a
// typo, since every key left over was refused here.
class Keys {
public:
    Keys(const toml::table& table, std::initializer_list<std::string_view> allowed)
        : table_(table) {
        for (auto&& [key, node] : table) {
            if (std::find(allowed.begin(), allowed.end(), key.str()) == allowed.end()) {
                Refuse(key.source(), Text(kUnknownKey).arg(Utf8(key.str())));
            }
        }
    }

    const toml::node* Find(std::string_view key) const { return table_.get(key); }
    bool Has(std::string_view key) const { return Find(key) != nullptr; }

    std::optional<std::string> String(std::string_view key) const {
        const toml::node* node = Find(key);
        if (node == nullptr) {
            return std::nullopt;
        }
        if (!node->is_string()) {
            Refuse(node->source(), Text(kWantString).arg(Utf8(key)));
        }
        return node->as_string()->get();
    }

    std::optional<std::int64_t> Integer(std::string_view key, std::int64_t low,
                                        std::int64_t high) const {
        const toml::node* node = Find(key);
        if (node == nullptr) {
            return std::nullopt;
        }
        if (!node->is_integer()) {
            Refuse(node->source(), Text(kWantInteger).arg(Utf8(key)));
        }
        const std::int64_t value = node->as_integer()->get();
        if (value < low || value > high) {
            Refuse(node->source(), Text(kRange).arg(Utf8(key)).arg(low).arg(high));
        }
        return value;
    }

    std::optional<Millis> Duration(std::string_view key, std::int64_t low) const {
        // A day is longer than any reply a device makes.
        constexpr std::int64_t kDayMs = 24 * 3600 * 1000;
        const auto value = Integer(key, low, kDayMs);
        return value ? std::optional<Millis>(Millis(*value)) : std::nullopt;
    }

    std::optional<bool> Bool(std::string_view key) const {
        const toml::node* node = Find(key);
        if (node == nullptr) {
            return std::nullopt;
        }
        if (!node->is_boolean()) {
            Refuse(node->source(), Text(kWantBool).arg(Utf8(key)));
        }
        return node->as_boolean()->get();
    }

    const toml::source_region& Where(std::string_view key) const {
        const toml::node* node = Find(key);
        return node != nullptr ? node->source() : table_.source();
    }
    const toml::table& Table() const { return table_; }

private:
    const toml::table& table_;
};

// The checks a string of the file's notation passes: Latin-1 characters only, then the entry
// rules of String to Send. The separator after the last Hex or Decimal group may be left out.
class Strings {
public:
    explicit Strings(DisplayMode mode) : mode_(mode) {}

    // The string as the notation writes it, ready for the encoder.
    std::string Written(const Keys& keys, std::string_view key) const {
        const QString text = Utf8(*keys.String(key));
        for (const QChar c : text) {
            if (c.unicode() > 0xFF) {
                Refuse(keys.Where(key), Text(kString).arg(Utf8(key), Text(kNotLatin1Message)));
            }
        }
        std::string written = text.toLatin1().toStdString();
        if (mode_ != DisplayMode::Ascii && !written.empty() && written.back() != ' ') {
            written += ' ';
        }
        const WholeStringResult check = CheckWholeString(written, mode_);
        if (!check.valid()) {
            Refuse(keys.Where(key),
                   Text(kString).arg(Utf8(key), QString::fromLatin1(check.message->data(),
                                                                    check.message->size())));
        }
        return written;
    }

    DisplayMode Mode() const { return mode_; }

private:
    DisplayMode mode_;
};

Expectation BytesExpectation(const Keys& keys, std::string_view key, const Strings& strings) {
    Expectation expect;
    expect.kind = Expectation::Kind::Bytes;
    const std::string written = strings.Written(keys, key);
    expect.written = QString::fromLatin1(written.data(), static_cast<qsizetype>(written.size()));
    if (strings.Mode() != DisplayMode::Ascii) {
        expect.written = expect.written.trimmed();
    }
    expect.bytes = EncodeTransmitBytes(written, strings.Mode());
    if (expect.bytes.empty()) {
        Refuse(keys.Where(key), Text(kEmptyExpectation).arg(Utf8(key)));
    }
    return expect;
}

Expectation RegexExpectation(const Keys& keys, std::string_view key) {
    Expectation expect;
    expect.kind = Expectation::Kind::Regex;
    expect.written = Utf8(*keys.String(key));
    const QRegularExpression plain(expect.written);
    if (!plain.isValid()) {
        Refuse(keys.Where(key),
               Text(kRegex).arg(plain.errorString()).arg(plain.patternErrorOffset()));
    }
    expect.regex = LimitedRegex(expect.written);
    return expect;
}

class SequenceReader {
public:
    SequenceReader(const toml::table& root, const QString& path) : root_(root), path_(path) {}

    Sequence Read() {
        const Keys keys(root_, {"name", "notation", "settings", "timeout_ms", "command_set",
                                "on_failure", "step", "reply"});
        Sequence sequence;
        sequence.path = path_;
        sequence.name = QFileInfo(path_).completeBaseName();
        if (const auto name = keys.String("name")) {
            sequence.name = Utf8(*name);
        }
        if (const auto notation = keys.String("notation")) {
            const auto mode = DisplayModeFromText(*notation);
            if (!mode) {
                Refuse(keys.Where("notation"), Text(kNotation));
            }
            sequence.notation = *mode;
        }
        if (const auto settings = keys.String("settings")) {
            sequence.settings = Utf8(*settings);
            if (!PortSettingsString::Parse(*sequence.settings)) {
                Refuse(keys.Where("settings"), Text(kSettings));
            }
        }
        timeout_ = keys.Duration("timeout_ms", 1).value_or(sequence_limits::kDefaultTimeout);
        if (const auto onFailure = keys.String("on_failure")) {
            if (*onFailure != "continue" && *onFailure != "stop") {
                Refuse(keys.Where("on_failure"), Text(kOnFailure));
            }
            sequence.onFailure = *onFailure == "stop" ? OnFailure::Stop : OnFailure::Continue;
        }
        if (const auto commandSet = keys.String("command_set")) {
            ReadCommands(Utf8(*commandSet), keys.Where("command_set"));
        }
        const Strings strings(sequence.notation);
        ForEachTable(keys, "step", kWantStepTables, [&](const toml::table& table) {
            sequence.steps.push_back(ReadStep(table, strings, sequence.steps.size() + 1));
        });
        ForEachTable(keys, "reply", kWantReplyTables, [&](const toml::table& table) {
            sequence.replies.push_back(ReadReply(table, strings));
        });
        if (sequence.steps.empty()) {
            Refuse(root_.source(), Text(kNoSteps));
        }
        long long runs = 0;
        for (const SequenceStep& step : sequence.steps) {
            runs += step.repeat;
        }
        if (runs > sequence_limits::kMaxStepRuns) {
            Refuse(root_.source(), Text(kTooManyRuns).arg(sequence_limits::kMaxStepRuns));
        }
        return sequence;
    }

private:
    template <typename Visit>
    static void ForEachTable(const Keys& keys, std::string_view key, const char* wrongForm,
                             Visit visit) {
        const toml::node* node = keys.Find(key);
        if (node == nullptr) {
            return;
        }
        if (!node->is_array_of_tables()) {
            Refuse(node->source(), Text(wrongForm));
        }
        for (const toml::node& element : *node->as_array()) {
            visit(*element.as_table());
        }
    }

    void ReadCommands(const QString& name, const toml::source_region& where) {
        commandSetName_ = name;
        const QString file = QFileInfo(QFileInfo(path_).absoluteDir(), name).filePath();
        QString reason;
        commands_ = ReadCommandSet(file, &reason);
        if (!commands_) {
            Refuse(where, Text(kCommandSetUnread).arg(name, reason));
        }
    }

    // The Hex string of the command a step names by label or by number.
    std::string Command(const Keys& keys) const {
        const toml::node* node = keys.Find("command");
        if (!commands_) {
            Refuse(node->source(), Text(kNoCommandSet));
        }
        if (node->is_integer()) {
            const auto number = *keys.Integer("command", 1, kCommandCount);
            return (*commands_)[static_cast<std::size_t>(number - 1)].command;
        }
        const std::string label = *keys.String("command");
        const QByteArray latin1 = Utf8(label).toLatin1();
        for (const CommandEntry& entry : *commands_) {
            if (entry.label == latin1.toStdString()) {
                return entry.command;
            }
        }
        Refuse(node->source(), Text(kNoSuchCommand).arg(Utf8(label), commandSetName_));
    }

    std::string Send(const Keys& keys, const Strings& strings) const {
        if (keys.Has("send") && keys.Has("command")) {
            Refuse(keys.Where("command"), Text(kSendAndCommand));
        }
        std::string text;
        DisplayMode mode = strings.Mode();
        if (keys.Has("command")) {
            text = Command(keys);
            mode = DisplayMode::Hex;
        } else if (keys.Has("send")) {
            text = strings.Written(keys, "send");
        }
        if (const auto checksum = keys.String("checksum")) {
            if (!ChecksumTypeFromLabel(*checksum)) {
                Refuse(keys.Where("checksum"), Text(kChecksum).arg(Utf8(*checksum)));
            }
            if (!keys.Has("send") && !keys.Has("command")) {
                Refuse(keys.Where("checksum"), Text(kChecksumWithoutSend));
            }
            text = AppendChecksum(text, mode, *checksum);
        }
        return EncodeTransmitBytes(text, mode);
    }

    SequenceStep ReadStep(const toml::table& table, const Strings& strings, std::size_t number) {
        const Keys keys(table, {"name", "send", "command", "checksum", "expect", "expect_regex",
                                "expect_silence_ms", "timeout_ms", "wait_ms", "repeat"});
        SequenceStep step;
        step.line = static_cast<int>(table.source().begin.line);
        step.name = keys.String("name") ? Utf8(*keys.String("name"))
                                        : QStringLiteral("Step %1").arg(number);
        step.send = Send(keys, strings);
        const int expectations =
            keys.Has("expect") + keys.Has("expect_regex") + keys.Has("expect_silence_ms");
        if (expectations > 1) {
            Refuse(table.source(), Text(kTwoExpectations));
        }
        if (keys.Has("expect")) {
            step.expect = BytesExpectation(keys, "expect", strings);
        } else if (keys.Has("expect_regex")) {
            step.expect = RegexExpectation(keys, "expect_regex");
        } else if (const auto silence = keys.Duration("expect_silence_ms", 1)) {
            step.expect.kind = Expectation::Kind::Silence;
            step.expect.silence = *silence;
        }
        step.timeout = keys.Duration("timeout_ms", 1).value_or(timeout_);
        step.wait = keys.Duration("wait_ms", 0).value_or(Millis(0));
        step.repeat =
            static_cast<int>(keys.Integer("repeat", 1, sequence_limits::kMaxRepeat).value_or(1));
        return step;
    }

    ReplyRule ReadReply(const toml::table& table, const Strings& strings) const {
        const Keys keys(table, {"when", "when_regex", "send", "delay_ms", "once"});
        ReplyRule rule;
        if (keys.Has("when") == keys.Has("when_regex")) {
            Refuse(table.source(), Text(kReplyWhen));
        }
        rule.when = keys.Has("when") ? BytesExpectation(keys, "when", strings)
                                     : RegexExpectation(keys, "when_regex");
        if (!keys.Has("send")) {
            Refuse(table.source(), Text(kReplySend));
        }
        rule.send = EncodeTransmitBytes(strings.Written(keys, "send"), strings.Mode());
        rule.delay = keys.Duration("delay_ms", 0).value_or(Millis(0));
        rule.once = keys.Bool("once").value_or(false);
        return rule;
    }

    const toml::table& root_;
    QString path_;
    Millis timeout_ = sequence_limits::kDefaultTimeout;
    QString commandSetName_;
    std::optional<CommandSet> commands_;
};

SequenceLoad Failure(const QString& path, QString message, int line = 0, int column = 0) {
    SequenceLoad load;
    load.error = {path, line, column, std::move(message)};
    return load;
}

}  // namespace

SequenceLoad ParseSequence(std::string_view text, const QString& path) {
    try {
        const toml::table root = toml::parse(text);
        SequenceLoad load;
        load.sequence = SequenceReader(root, path).Read();
        return load;
    } catch (const toml::parse_error& error) {
        return Failure(path, Utf8(error.description()), static_cast<int>(error.source().begin.line),
                       static_cast<int>(error.source().begin.column));
    } catch (const Mistake& mistake) {
        return Failure(path, mistake.message, static_cast<int>(mistake.where.line),
                       static_cast<int>(mistake.where.column));
    }
}

SequenceLoad LoadSequenceFile(const QString& path) {
    QFile file;
    const FileCheck check = OpenRegularFile(file, path);
    if (check.status == FileStatus::NotRegular) {
        return Failure(path, QString::fromLatin1(kNotRegularFileReason));
    }
    if (!check.Ok()) {
        return Failure(path, check.reason);
    }
    if (file.size() > sequence_limits::kMaxFileBytes) {
        return Failure(path, Text(kTooBig).arg(sequence_limits::kMaxFileBytes >> 20));
    }
    // One byte past the limit tells a file that grew since its size was read.
    const QByteArray bytes = file.read(sequence_limits::kMaxFileBytes + 1);
    if (bytes.size() > sequence_limits::kMaxFileBytes) {
        return Failure(path, Text(kTooBig).arg(sequence_limits::kMaxFileBytes >> 20));
    }
    return ParseSequence(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), path);
}

}  // namespace kestrum
