// Saving the Data Monitor and a command set where the write cannot succeed: a full disk (the
// file size limit stands in for it, since tests run as root and root ignores permissions), a
// folder that is really a file, a target that is a folder. Each gives a message naming the
// file, leaves an earlier file of that name byte for byte as it was, leaves no temporary file
// behind, and changes nothing the program remembers about the last good save.

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include "storage/file_size_limit.h"
#include "ui/editor/editor_constants.h"
#include "ui/editor/editor_fixture.h"
#include "ui/main/main_constants.h"
#include "ui/widgets/latin1_field.h"

namespace kestrum {
namespace {

constexpr char kOldContents[] = "earlier contents\r\n";

struct Unwritable {
    const char* reason;
    const char* name;    // relative to the test folder
    bool holdsOldFile;   // an earlier file of that name exists
    bool limitFileSize;  // the disk is "full": no file may grow past a few bytes
};

// What the system says when a file would grow past the limit; the message must give it,
// not only that fewer bytes were written.
const QString kFileTooLarge = QString::fromLocal8Bit(std::strerror(EFBIG));

const Unwritable kUnwritable[] = {
    {"full disk over an earlier file", "full.txt", true, true},
    {"full disk, new file", "new.txt", false, true},
    {"the folder is a file", "plain-file/inside.txt", false, false},
    {"the target is a folder", "a-folder", false, false},
};

class SaveFailureTest : public EditorTest {
protected:
    // Sets up the folder for `c`; returns the full path to save to.
    QString Prepare(const Unwritable& c) {
        QFile plain(Path("plain-file"));
        EXPECT_TRUE(plain.open(QIODevice::WriteOnly));
        plain.close();
        EXPECT_TRUE(QDir(folder_.path()).mkpath("a-folder"));
        const QString path = Path(c.name);
        if (c.holdsOldFile) {
            QFile old(path);
            EXPECT_TRUE(old.open(QIODevice::WriteOnly));
            old.write(kOldContents);
        }
        return path;
    }

    // The folder holds only what Prepare put there (and the settings file).
    void ExpectNothingLeftBehind(const Unwritable& c) {
        QStringList expected{"Kestrum.ini", "Start.cmd", "a-folder", "plain-file"};
        if (c.holdsOldFile) {
            expected << c.name;
        }
        expected.sort();
        QStringList present =
            QDir(folder_.path())
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        present.sort();
        EXPECT_EQ(present, expected);
        if (c.holdsOldFile) {
            EXPECT_EQ(FileBytes(Path(c.name)), kOldContents);
        }
    }

    void ExpectOneMessage(const char* start, const QString& path, const Unwritable& c) {
        ASSERT_EQ(prompts_.Messages().size(), 1u);
        const QString& message = prompts_.Messages()[0];
        EXPECT_TRUE(message.startsWith(QString::fromLatin1(start) + " " + path + ": "))
            << message.toStdString();
        const QString reason = message.mid(QString::fromLatin1(start).size() + path.size() + 3);
        EXPECT_FALSE(reason.isEmpty() || reason.contains("Unknown error"))
            << "no reason given: " << message.toStdString();
        if (c.limitFileSize) {
            EXPECT_TRUE(reason.contains(kFileTooLarge)) << message.toStdString();
        }
        prompts_ = ScriptedPrompts();
    }
};

TEST_F(SaveFailureTest, SavesThatCannotBeWrittenKeepTheEarlierFile) {
    StoreStartupSet(CommandSet{});
    Mainfrm& window = StartWithTools();
    port_.InjectReceived(std::string(100, 'x'));
    prompts_.QueueSaveFile(Path("good.txt"));
    window.Savemenu_Click();
    ASSERT_EQ(state_.DataFileName, Path("good.txt"));
    QFile::remove(Path("good.txt"));
    Editfrm& editor = OpenEditor();
    editor.ButtonText(1).setText("Reset");
    const QString commandSet = state_.CommandFileName;

    for (const bool monitor : {true, false}) {
        for (const Unwritable& c : kUnwritable) {
            SCOPED_TRACE(std::string(monitor ? "Data Monitor: " : "command set: ") + c.reason);
            const QString path = Prepare(c);
            prompts_.QueueSaveFile(path);
            {
                std::optional<FileSizeLimit> limit;
                if (c.limitFileSize) {
                    limit.emplace(8);
                    ASSERT_TRUE(limit->active());
                }
                monitor ? window.Savemenu_Click() : editor.SaveButton_Click();
            }
            ExpectOneMessage(monitor ? main_ui::kMsgSaveFailed : editor_ui::kMsgSaveFailed, path,
                             c);
            // What the program remembers of the last good saves is unchanged.
            EXPECT_EQ(state_.DataFileName, Path("good.txt"));
            EXPECT_EQ(state_.CommandFileName, commandSet);
            EXPECT_EQ(settings_.GetSetting("Filename", ""), commandSet);
            EXPECT_EQ(editor.ComSetText().text(), commandSet);
            EXPECT_FALSE(editor.ComSetSaved());
            ExpectNothingLeftBehind(c);
            QFile::remove(path);
        }
    }
}

}  // namespace
}  // namespace kestrum
