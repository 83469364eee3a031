// The port rules with no window: every failure kind of the port at every entry point, with
// the exact warning each shows and the state it leaves.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>

#include "session/port_session.h"
#include "storage/settings_store.h"
#include "support/memory_serial_port.h"

namespace kestrum {
namespace {

// The three lists as the main window has them: a pick runs the list's click handler.
class Boxes final : public PortBoxes {
public:
    explicit Boxes(PortSession& session) : session_(session) {}

    QString PortNumberText() const override { return number_; }
    QString BaudText() const override { return baud_; }
    QString FormatText() const override { return format_; }
    bool PickPortNumber(const QString& text) override {
        return Pick(numbers_, number_, text, [this] { session_.SelectPort(); });
    }
    bool PickBaud(const QString& text) override {
        return Pick(bauds_, baud_, text,
                    [this] { session_.ApplyLineSettings(PortSession::LineBox::Baud); });
    }
    bool PickFormat(const QString& text) override {
        return Pick(formats_, format_, text,
                    [this] { session_.ApplyLineSettings(PortSession::LineBox::Format); });
    }
    bool HasFormat(const QString& format) const override { return formats_.contains(format); }
    void AddFormat(const QString& format) override { formats_ << format; }

    QStringList formats_{"n,8,1", "n,8,2", "e,7,1"};

private:
    static bool Pick(const QStringList& list, QString& shown, const QString& text,
                     const std::function<void()>& click) {
        if (!list.contains(text)) {
            return false;
        }
        shown = text;
        click();
        return true;
    }

    PortSession& session_;
    QStringList numbers_{"1", "2", "3", "4"};
    QStringList bauds_{"9600", "19200", "115200"};
    QString number_, baud_, format_;
};

class PortSessionTest : public ::testing::Test {
protected:
    PortSessionTest() : settings_(folder_.filePath("Kestrum.ini")) {
        session_.SetBoxes(boxes_);
        QObject::connect(&session_, &PortSession::Warning,
                         [this](const QString& text) { warnings_ << text; });
    }

    // Port 1 selected and open at 9600,n,8,1, nothing said.
    void SelectPortOne() {
        ASSERT_TRUE(boxes_.PickPortNumber("1"));
        ASSERT_TRUE(port_.PortOpen());
        warnings_.clear();
    }

    // Each answers how the operation ended, or nullopt while it is under way.
    std::optional<bool> Send(std::string bytes = "x") {
        auto result = std::make_shared<std::optional<bool>>();
        session_.OpenForSend(
            [this, result, bytes] {
                port_.Output(bytes);
                *result = true;
            },
            [result] { *result = false; });
        sends_.push_back(result);
        return *result;
    }
    std::optional<bool> ChangeDevice(const QString& device) {
        std::optional<bool> changed;
        session_.ChangeDevice(device, [&changed](bool ok) { changed = ok; });
        return changed;
    }
    std::optional<bool> DialogSettings(const QString& baud, const QString& format, bool last) {
        std::optional<bool> applied;
        session_.ApplyDialogSettings(baud, format, last, [&applied](bool ok) { applied = ok; });
        return applied;
    }

    QTemporaryDir folder_;
    SettingsStore settings_;
    std::vector<std::shared_ptr<std::optional<bool>>> sends_;
    MemorySerialPort port_;
    PortSession session_{port_, settings_};
    Boxes boxes_{session_};
    QStringList warnings_;
};

struct KindText {
    PortErrorKind kind;
    const char* text;
};

// What an open that fails shows, wherever it is attempted.
const KindText kOpenFailures[] = {
    {PortErrorKind::InvalidPortNumber, "Warning: Invalid Port Number"},
    {PortErrorKind::PortInUse, "Warning: Comm port in use by another application"},
    {PortErrorKind::BaudRateNotSupported, "Warning: This baud rate not supported for this port"},
    {PortErrorKind::SettingsNotApplied, "Warning: This baud rate not supported for this port"},
    {PortErrorKind::SettingsUnconfirmed, "Warning: scripted open failure"},
    {PortErrorKind::Other, "Warning: The Com port could not be opened: scripted open failure"},
};

TEST_F(PortSessionTest, EveryEntryPointThatOpensNamesTheFailureAndLeavesThePortClosed) {
    const std::pair<const char*, std::function<void()>> entries[] = {
        {"port selection", [&] { boxes_.PickPortNumber("1"); }},
        {"send", [&] { EXPECT_EQ(Send(), false); }},
        {"Connect",
         [&] {
             ASSERT_EQ(session_.Connect(true), PortSession::ConnectResult::Disconnected);
             EXPECT_EQ(session_.Connect(false), PortSession::ConnectResult::Disconnected);
             EXPECT_TRUE(session_.UserDisconnected());
         }},
        {"device change", [&] { EXPECT_EQ(ChangeDevice("/dev/ttyUSB7"), false); }},
    };
    for (const auto& [entry, run] : entries) {
        for (const KindText& failure : kOpenFailures) {
            SCOPED_TRACE(entry);
            SCOPED_TRACE(failure.text);
            session_.Connect(false);
            SelectPortOne();
            port_.Close();
            port_.SetOpenFailure(1, failure.kind);
            run();
            port_.SetOpenFailure(1, std::nullopt);
            EXPECT_EQ(warnings_.join("|").toStdString(), failure.text);
            EXPECT_FALSE(port_.PortOpen());
        }
    }
    // Only the selection's invalid number marks the port bad, and it then refuses every use.
    SelectPortOne();
    port_.SetOpenFailure(1, PortErrorKind::InvalidPortNumber);
    boxes_.PickPortNumber("1");
    EXPECT_TRUE(session_.BadPort());
    EXPECT_EQ(settings_.GetSetting("CommPort", ""), "1") << "stored before the failure";
    warnings_.clear();
    EXPECT_TRUE(session_.RefuseUse());
    EXPECT_EQ(session_.Connect(true), PortSession::ConnectResult::Refused);
    session_.WarnIfBadPort();
    EXPECT_EQ(warnings_, QStringList(3, "Warning: Invalid Port Number"));
}

TEST_F(PortSessionTest, RefusedLineSettingsAreNamedByTheListPickedAndPutBack) {
    struct Case {
        const char* reason;
        PortErrorKind kind;
        PortSession::LineBox picked;
        const char* warning;  // nullptr: nothing said
    };
    const Case cases[] = {
        {"baud refused", PortErrorKind::BaudRateNotSupported, PortSession::LineBox::Baud,
         "Warning: This baud rate not supported for this port"},
        {"format refused", PortErrorKind::SettingsNotApplied, PortSession::LineBox::Format,
         "Warning: This format not supported for this port"},
        {"settings refused from the baud list", PortErrorKind::SettingsNotApplied,
         PortSession::LineBox::Baud, "Warning: This baud rate not supported for this port"},
        {"another failure is skipped", PortErrorKind::Other, PortSession::LineBox::Baud, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        SelectPortOne();
        port_.FailNext(MemorySerialPort::Operation::SetSettings, c.kind);
        if (c.picked == PortSession::LineBox::Baud) {
            boxes_.PickBaud("19200");
        } else {
            boxes_.PickFormat("e,7,1");
        }
        EXPECT_EQ(warnings_, c.warning ? QStringList{c.warning} : QStringList{});
        EXPECT_EQ(port_.Settings(), "9600,n,8,1");
        EXPECT_EQ(settings_.GetSetting("CommPort1", ""), "9600,n,8,1") << "only what it took";
        if (c.warning) {
            EXPECT_EQ(boxes_.BaudText(), "9600") << "the list is put back";
            EXPECT_EQ(boxes_.FormatText(), "n,8,1");
        }
    }
    // An invalid number met while applying selects port 1 again.
    SelectPortOne();
    boxes_.PickPortNumber("2");
    warnings_.clear();
    port_.FailNext(MemorySerialPort::Operation::SetSettings, PortErrorKind::InvalidPortNumber);
    boxes_.PickBaud("19200");
    EXPECT_EQ(warnings_, QStringList{"Warning: Invalid Port Number"});
    EXPECT_EQ(boxes_.PortNumberText(), "1");
}

TEST_F(PortSessionTest, DialogSettingsAreNamedByTheLastChangeAndTheFormatListGrowsOnce) {
    SelectPortOne();
    const auto refuse = [this](PortErrorKind kind) {
        port_.FailNext(MemorySerialPort::Operation::SetSettings, kind);
    };
    refuse(PortErrorKind::BaudRateNotSupported);
    EXPECT_FALSE(*DialogSettings("115200", "n,8,1", false));
    refuse(PortErrorKind::BaudRateNotSupported);
    EXPECT_FALSE(*DialogSettings("115200", "n,8,1", true));
    refuse(PortErrorKind::SettingsNotApplied);
    EXPECT_FALSE(*DialogSettings("19200", "o,7,2", false));
    EXPECT_EQ(warnings_, (QStringList{"Warning: This baud rate not supported for this port",
                                      "Warning: This format not supported for this port",
                                      "Warning: This format not supported for this port"}));
    EXPECT_EQ(port_.Settings(), "9600,n,8,1");

    warnings_.clear();
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(*DialogSettings("19200", "o,8,2", false));
    }
    EXPECT_TRUE(warnings_.isEmpty());
    EXPECT_EQ(settings_.GetSetting("CommPort1", ""), "19200,o,8,2");
    EXPECT_EQ(boxes_.formats_.count("o,8,2"), 1);
}

TEST_F(PortSessionTest, DisconnectSurvivesSelectionsAndDeviceChangesWaitForConnect) {
    SelectPortOne();
    EXPECT_EQ(session_.Connect(true), PortSession::ConnectResult::Disconnected);
    boxes_.PickPortNumber("2");
    EXPECT_FALSE(port_.PortOpen()) << "configured but left closed";
    EXPECT_TRUE(session_.RefuseUse());
    EXPECT_EQ(ChangeDevice("/dev/ttyUSB3"), true);
    EXPECT_EQ(settings_.GetSetting("Device2", ""), "/dev/ttyUSB3");
    EXPECT_FALSE(port_.PortOpen());
    EXPECT_EQ(session_.Connect(false), PortSession::ConnectResult::Connected);
    EXPECT_TRUE(port_.PortOpen());
    EXPECT_EQ(warnings_, QStringList{"The Port is disconnected"});

    // A device that cannot be opened is not kept; the one before is open again.
    port_.FailNext(MemorySerialPort::Operation::Open, PortErrorKind::PortInUse);
    EXPECT_EQ(ChangeDevice("/dev/ttyUSB4"), false);
    EXPECT_EQ(settings_.GetSetting("Device2", ""), "/dev/ttyUSB3");
    EXPECT_TRUE(port_.PortOpen());

    warnings_.clear();
    port_.LoseDevice("gone");
    EXPECT_EQ(warnings_,
              QStringList{"Warning: The Com port device was lost and the port is closed: gone"});
}

TEST_F(PortSessionTest, ClicksDuringAPendingOpenOrSettingsChangeRunOnceInOrder) {
    const auto settle = [] { QCoreApplication::processEvents(); };
    port_.SetHeld(true);
    boxes_.PickPortNumber("1");
    EXPECT_EQ(session_.State(), PortSession::LinkState::Connecting);
    Send("a");
    Send("b");
    boxes_.PickBaud("19200");
    EXPECT_EQ(Send("c"), std::nullopt);
    port_.Release();
    settle();
    EXPECT_EQ(port_.Written(), "ab") << "c waits for the settings picked before it";
    port_.Release();
    settle();
    EXPECT_EQ(port_.Written(), "abc");
    EXPECT_EQ(settings_.GetSetting("CommPort1", ""), "19200,n,8,1");

    // A settings change under way holds the sends behind it; its refusal puts the list back.
    boxes_.PickBaud("115200");
    EXPECT_EQ(Send("d"), std::nullopt);
    port_.Release(PortErrorKind::BaudRateNotSupported);
    settle();
    EXPECT_EQ(port_.Written(), "abcd");
    EXPECT_EQ(boxes_.BaudText(), "19200");
    EXPECT_EQ(warnings_, QStringList{"Warning: This baud rate not supported for this port"});

    // An open that fails drops every send that waited for it, said once.
    warnings_.clear();
    port_.Close();
    Send("e");
    Send("f");
    port_.Release(PortErrorKind::PortInUse);
    settle();
    EXPECT_EQ(*sends_.end()[-2], false);
    EXPECT_EQ(*sends_.back(), false);
    EXPECT_EQ(warnings_, QStringList{"Warning: Comm port in use by another application"});

    // Disconnect cancels the open at once and the sends silently; Connect waits for its own.
    warnings_.clear();
    EXPECT_EQ(Send("g"), std::nullopt);
    EXPECT_EQ(session_.Connect(true), PortSession::ConnectResult::Disconnected);
    EXPECT_FALSE(port_.Opening());
    EXPECT_EQ(*sends_.back(), false);
    QSignalSpy finished(&session_, &PortSession::ConnectFinished);
    EXPECT_EQ(session_.Connect(false), PortSession::ConnectResult::Pending);
    port_.Release();
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished.at(0).at(0).value<PortSession::ConnectResult>(),
              PortSession::ConnectResult::Connected);
    EXPECT_EQ(port_.Written(), "abcd");
    EXPECT_TRUE(warnings_.isEmpty());
}

}  // namespace
}  // namespace kestrum
