// Settings that cannot be written: a read-only configuration folder, "Kestrum" a file,
// "Kestrum.ini" a folder, a full disk. What was chosen stays in force for the run, one message
// names the file and the reason, and a device chosen in Port Settings takes the next send.

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

#include "storage/file_size_limit.h"
#include "support/pty_window.h"
#include "support/reliability_helpers.h"
#include "ui/tools/comfrm.h"
#include "ui/widgets/notation_field.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString Expected(const QString& iniPath, int error) {
    return QString::fromLatin1(kMsgSettingsNotSaved).arg(iniPath, Reason(error));
}

void MakeReadOnly(const QString& folder) {
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    const QString ini = QDir(folder).filePath("Kestrum.ini");
    if (QFile::exists(ini)) {
        ASSERT_EQ(::chmod(QFile::encodeName(ini).constData(), 0444), 0);
    }
}

class UnwritableSettingsTest : public PtyWindowTest {
protected:
    QString Folder(const QString& name) {
        EXPECT_TRUE(QDir(folder_.path()).mkpath(name));
        return folder_.filePath(name);
    }
};

TEST_F(UnwritableSettingsTest, WhatWasChosenHoldsAndTheFirstFailureIsToldOnce) {
    QFile plain(folder_.filePath("Kestrum"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    struct Case {
        const char* what;
        QString iniPath;
        int error;
        bool readOnly;
        bool fullDisk;
    };
    const Case cases[] = {
        {"read-only folder", Folder("ro") + "/Kestrum.ini", EACCES, true, false},
        {"Kestrum is a file", folder_.filePath("Kestrum/Kestrum.ini"), ENOTDIR, false, false},
        {"Kestrum.ini is a folder", Folder("dir/Kestrum.ini"), EISDIR, false, false},
        {"full disk", Folder("full") + "/Kestrum.ini", EFBIG, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.readOnly) {
            MakeReadOnly(QFileInfo(c.iniPath).path());
        }
        SettingsStore store(c.iniPath);
        const SettingsStore lookup = store;  // as the serial port holds it
        std::vector<QString> messages;
        store.SetFirstFailureHandler([&](const QString& text) { messages.push_back(text); });
        {
            const WithoutCapabilities user{CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER};
            std::optional<FileSizeLimit> limit;
            if (c.fullDisk) {
                limit.emplace(8);
            }
            EXPECT_FALSE(store.SaveSetting("Device1", "/dev/ttyUSB9"));
            EXPECT_FALSE(store.SaveSetting("CommPort", "3"));
            EXPECT_FALSE(store.SaveSetting("commport", "4"));
        }
        EXPECT_EQ(store.GetSetting("Device1", ""), "/dev/ttyUSB9");
        EXPECT_EQ(lookup.GetSetting("Device1", ""), "/dev/ttyUSB9");
        EXPECT_EQ(store.GetSetting("COMMPORT", ""), "4");
        EXPECT_EQ(messages, std::vector<QString>{Expected(c.iniPath, c.error)});
    }
}

TEST_F(UnwritableSettingsTest, ADeviceChosenOnAReadOnlyFolderTakesTheNextSend) {
    Mainfrm& window = Start("Ascii");
    PtyPair chosen;
    MakeReadOnly(folder_.path());
    {
        const WithoutCapabilities user{CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER};
        Comfrm dialog(window.Tools(), [] { return QStringList{}; });
        dialog.DeviceBox().setCurrentText(chosen.DevicePath());
        dialog.OKButton_Click();
        PumpEventsFor(50ms);
        EXPECT_EQ(prompts_.Messages(),
                  std::vector<QString>{Expected(settings_.FileName(), EACCES)});
        window.SendBox().setText("hello");
        window.SendButton_Click();
        EXPECT_EQ(chosen.Read(5), "hello") << "the send reached the device chosen";
        EXPECT_EQ(device_->Read(1, 200ms), "") << "nothing went to the earlier device";
        // Later failures are not told again.
        window.SendBox().setText("again");
        settings_.SaveSetting("Filetype", "Hex");
        PumpEventsFor(50ms);
    }
    EXPECT_EQ(prompts_.Messages().size(), 1u);
    ::chmod(QFile::encodeName(folder_.path()).constData(), 0755);
}

}  // namespace
}  // namespace kestrum
