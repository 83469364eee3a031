// The command sets shipped in resources/examples: each loads as forty labelled entries whose
// commands send as written, and the checksums they carry are the ones the calculator gives.

#include "notation/checksum.h"
#include "notation/entry_validation.h"
#include "storage/command_set_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace kestrum {
namespace {

const QDir kExamples(QStringLiteral(KESTRUM_EXAMPLES_DIR));

CommandSet Load(const QString& name) {
    const std::optional<CommandSet> set = ReadCommandSet(kExamples.filePath(name));
    EXPECT_TRUE(set.has_value()) << name.toStdString();
    return set.value_or(CommandSet{});
}

TEST(ExampleSets, EachIsFortyLabelledCommandsInWellFormedHexWrittenAsTheEditorWrites) {
    const QStringList names = kExamples.entryList({QStringLiteral("*.cmd")}, QDir::Files);
    EXPECT_GE(names.size(), 3);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const CommandSet set = Load(name);
        for (std::size_t i = 0; i < set.size(); ++i) {
            SCOPED_TRACE(i + 1);
            const CommandEntry& entry = set[i];
            EXPECT_FALSE(entry.label.empty());
            ASSERT_FALSE(entry.command.empty());
            EXPECT_TRUE(CheckWholeString(entry.command, DisplayMode::Hex).valid());
            // Every "XX " token becomes one byte: nothing is skipped when sent.
            EXPECT_EQ(EncodeTransmitBytes(entry.command, DisplayMode::Hex).size() * 3,
                      entry.command.size());
        }
        // Exactly the bytes a save writes: forty lines, separator 0x1E, CR LF.
        QFile file(kExamples.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll().toStdString(), SerializeCommandSet(set));
    }
}

// Drops the last `bytes` "XX " tokens and appends the checksum of type `type` to the rest.
std::string Resummed(const std::string& command, std::size_t type, std::size_t bytes = 1) {
    return AppendChecksum(command.substr(0, command.size() - 3 * bytes), DisplayMode::Hex,
                          kChecksumTypeLabels.at(type));
}

TEST(ExampleSets, ChecksumsAreTheOnesTheCalculatorAppends) {
    const CommandSet dimmer = Load(QStringLiteral("lighting-dimmer.cmd"));
    for (const CommandEntry& entry : dimmer) {
        EXPECT_EQ(Resummed(entry.command, 0), entry.command) << entry.label;
    }
    for (const CommandEntry& entry : Load(QStringLiteral("modbus-rtu.cmd"))) {
        const auto modbus = static_cast<std::size_t>(ChecksumType::Crc16Modbus) - 1;
        EXPECT_EQ(Resummed(entry.command, modbus, 2), entry.command) << entry.label;
    }
    // Loopback demo: entry number and checksum type (index in the calculator's list).
    const CommandSet demo = Load(QStringLiteral("loopback-demo.cmd"));
    for (const auto& [number, type] : {std::pair<std::size_t, std::size_t>{11, 0},
                                       {12, 1},
                                       {13, 2},
                                       {14, 3},
                                       {15, 4},
                                       {17, 0},
                                       {18, 3}}) {
        const CommandEntry& entry = demo.at(number - 1);
        EXPECT_EQ(Resummed(entry.command, type), entry.command) << entry.label;
    }
}

}  // namespace
}  // namespace kestrum
