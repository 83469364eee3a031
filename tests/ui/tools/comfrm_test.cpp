// The port settings dialog: what it shows, what OK applies, and the device box reopening the
// port on another device. (What is stored, the format list and which message each refusal
// gives: PortSessionTest.)

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

#include "support/pty_window.h"
#include "ui/tools/comfrm.h"

namespace kestrum {
namespace {

using namespace std::chrono_literals;

class ComfrmTest : public MainWindowTest {
protected:
    Comfrm& OpenDialog(QStringList devices = {}) {
        dialog_ = std::make_unique<Comfrm>(Window().Tools(), [devices] { return devices; });
        dialog_->show();
        return *dialog_;
    }

    std::unique_ptr<Comfrm> dialog_;
};

// The device box lists the system's devices and shows the port's own (here port 2's).
TEST_F(ComfrmTest, PortNamingNoDeviceCanOnlyHaveItsDeviceChosen) {
    settings_.SaveSetting("Commport", "2");
    settings_.SaveSetting("Device2", "/dev/ttyACM7");
    port_.SetOpenFailure(2, PortErrorKind::InvalidPortNumber);
    Start();
    ASSERT_TRUE(Window().Session().BadPort());
    Comfrm& dialog = OpenDialog({"/dev/ttyS0", "/dev/ttyUSB0"});
    EXPECT_FALSE(dialog.BaudBox().isEnabled());
    EXPECT_FALSE(dialog.ParityButton(1).isEnabled());
    EXPECT_TRUE(dialog.DeviceBox().isEnabled());
    EXPECT_TRUE(dialog.DeviceBox().isEditable());
    EXPECT_EQ(dialog.DeviceBox().currentText(), "/dev/ttyACM7");
    EXPECT_GE(dialog.DeviceBox().findText("/dev/ttyUSB0"), 0);

    // Still no device there: the selection warns again and the dialog stays.
    dialog.DeviceBox().setCurrentText("/dev/ttyUSB9");
    dialog.OKButton().click();
    EXPECT_EQ(prompts_.Messages().back(), "Warning: Invalid Port Number");
    EXPECT_FALSE(dialog.isHidden());

    // A device that answers: the port is selected again, opened, and the dialog closes.
    port_.SetOpenFailure(2, std::nullopt);
    dialog.DeviceBox().setCurrentText("/dev/ttyUSB0");
    dialog.OKButton().click();
    EXPECT_EQ(settings_.GetSetting("Device2", ""), "/dev/ttyUSB0");
    EXPECT_FALSE(Window().Session().BadPort());
    EXPECT_TRUE(port_.PortOpen());
    EXPECT_TRUE(dialog.isHidden());
}

TEST_F(ComfrmTest, ShowsThePortsSettingsAndOkAppliesStoresAndSelects) {
    settings_.SaveSetting("CommPort1", "19200,e,7,1");
    Start();
    Comfrm& dialog = OpenDialog();
    EXPECT_EQ(dialog.windowTitle(), "Setup Com Port");
    EXPECT_EQ(dialog.BaudBox().Text(), "19200");
    EXPECT_TRUE(dialog.ParityButton(3).isChecked());
    EXPECT_TRUE(dialog.DataButton(2).isChecked());
    EXPECT_TRUE(dialog.StopButton(1).isChecked());
    EXPECT_EQ(dialog.LastChangeWasFormat(), 1) << "setting the buttons counts as clicks";

    port_.ClearRecords();
    dialog.OKButton().click();
    EXPECT_EQ(port_.Settings(), "19200,e,7,1");
    EXPECT_EQ(dialog.FormatString(), "e,7,1");
    EXPECT_TRUE(dialog.isHidden());
    EXPECT_TRUE(prompts_.Messages().empty());
    EXPECT_TRUE(port_.History().empty()) << "the port stays open throughout";

    // Changes: applied, stored and selected in the main window.
    Comfrm& again = OpenDialog();
    again.BaudBox().SetText("9600");
    again.ParityButton(2).click();
    again.DataButton(1).click();
    again.StopButton(2).click();
    again.OKButton().click();
    EXPECT_EQ(port_.Settings(), "9600,o,8,2");
    EXPECT_EQ(Window().Combo3().Text(), "9600");
    EXPECT_EQ(Window().Combo4().Text(), "o,8,2");
}

// Which message each refusal gives is PortSession's own test; here the dialog's part: a refusal
// keeps it open and the lists as the port runs, Cancel applies nothing, and another failure
// leaves the main window's lists to apply the settings.
TEST_F(ComfrmTest, RefusalsKeepTheDialogOpenCancelAppliesNothing) {
    Start();
    Comfrm& dialog = OpenDialog({"/dev/ttyUSB0"});
    dialog.StopButton(2).click();
    dialog.BaudBox().SetText("115200");
    port_.FailNext(MemorySerialPort::Operation::SetSettings, PortErrorKind::BaudRateNotSupported);
    dialog.OKButton().click();
    EXPECT_EQ(prompts_.Messages(),
              std::vector<QString>{"Warning: This baud rate not supported for this port"});
    EXPECT_FALSE(dialog.isHidden());
    EXPECT_EQ(port_.Settings(), "9600,n,8,1") << "the port keeps what it had";
    EXPECT_EQ(Window().Combo3().Text(), "9600");
    EXPECT_EQ(Window().Combo4().Text(), "n,8,1");

    dialog.BaudBox().SetText("300");
    dialog.DeviceBox().setCurrentText("/dev/ttyUSB0");
    dialog.CancelButton().click();
    EXPECT_TRUE(dialog.isHidden());
    EXPECT_EQ(port_.Settings(), "9600,n,8,1");
    EXPECT_EQ(settings_.GetSetting("Device1", ""), "");

    Comfrm& again = OpenDialog();
    again.BaudBox().SetText("4800");
    port_.FailNext(MemorySerialPort::Operation::SetSettings, PortErrorKind::Other);
    again.OKButton().click();
    EXPECT_EQ(prompts_.Messages().size(), 1u);
    EXPECT_EQ(port_.Settings(), "4800,n,8,1") << "applied by the baud list";
    EXPECT_TRUE(again.isHidden());

    // OK waits for a change that takes time; a Disconnect that ends it gives OK back.
    Comfrm& waiting = OpenDialog();
    waiting.BaudBox().SetText("2400");
    port_.SetHeld(true);
    waiting.OKButton().click();
    EXPECT_FALSE(waiting.OKButton().isEnabled());
    Window().ToolbarButton("ClosePort")->trigger();
    EXPECT_TRUE(waiting.OKButton().isEnabled());
    EXPECT_FALSE(waiting.isHidden());
}

// The real port service on two pseudo-terminals: the device box moves port 1 from one to
// the other; a device that does not exist leaves it where it was.
TEST_F(ComfrmTest, MalformedNetworkAddressIsRefusedWithItsReasonAndNeverStored) {
    settings_.SaveSetting("Device1", "/dev/ttyS0");
    Start();
    Comfrm& dialog = OpenDialog();
    dialog.DeviceBox().setCurrentText("rfc2217://rack-7.lab");
    dialog.OKButton().click();
    ASSERT_EQ(prompts_.Messages().size(), 1u);
    EXPECT_TRUE(prompts_.Messages()[0].contains("(no port)"))
        << prompts_.Messages()[0].toStdString();
    EXPECT_EQ(settings_.GetSetting("Device1", ""), "/dev/ttyS0");
    EXPECT_FALSE(dialog.isHidden());
}

TEST_F(PtyWindowTest, PortSettingsDeviceChangeReopensThePortOnTheNewDevice) {
    PtyPair second;
    PtyPair& first = *device_;
    Mainfrm& window = Start();
    ASSERT_TRUE(port_->PortOpen());
    Comfrm dialog(window.Tools(), [] { return QStringList{}; });
    dialog.show();
    dialog.DeviceBox().setCurrentText(QStringLiteral("/dev/kestrum-no-such-device"));
    dialog.OKButton().click();
    EXPECT_FALSE(dialog.isHidden());
    EXPECT_EQ(settings_.GetSetting("Device1", ""), first.DevicePath());
    ASSERT_TRUE(port_->PortOpen());
    port_->Output("1");
    EXPECT_EQ(first.Read(1), "1");

    dialog.DeviceBox().setCurrentText(second.DevicePath());
    dialog.OKButton().click();
    EXPECT_EQ(prompts_.Messages().size(), 1U);
    EXPECT_TRUE(dialog.isHidden());
    EXPECT_EQ(settings_.GetSetting("Device1", ""), second.DevicePath());
    ASSERT_TRUE(port_->PortOpen());
    port_->Output("2");
    EXPECT_EQ(second.Read(1), "2");
    EXPECT_EQ(first.Read(1, 100ms), "");
    ASSERT_TRUE(second.Write("R"));
    ASSERT_TRUE(PumpEventsUntil([&] { return !MonitorText().empty(); }, 2s));
    EXPECT_EQ(MonitorText(), "52 ") << "received on the new device";
}

// Entries name what the system knows of each device; the list follows adapters plugged in
// and pulled while the dialog is open; OK keeps the chosen path, a stable name as it is.
TEST_F(ComfrmTest, DeviceListFollowsAdaptersAndKeepsTheChosenPathWithFlowControl) {
    Start();
    QStringList present{"/dev/ttyS0"};
    dialog_ = std::make_unique<Comfrm>(Window().Tools(), [&present] { return present; });
    Comfrm& dialog = *dialog_;
    dialog.show();
    dialog.DeviceBox().setCurrentText("typed");
    const QString stable = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    present << stable + "  -> /dev/ttyUSB0"
            << "/dev/ttyUSB0  FT232R USB UART (FTDI, serial A50285BI)";
    ASSERT_TRUE(PumpEventsUntil([&] { return dialog.DeviceBox().count() == 3; }, 3s));
    EXPECT_EQ(dialog.DeviceBox().currentText(), "typed") << "the refresh keeps the box's text";

    dialog.DeviceBox().setCurrentIndex(1);
    dialog.FlowBox().setCurrentIndex(1);
    dialog.OKButton().click();
    EXPECT_EQ(settings_.GetSetting("Device1", ""), stable);
    EXPECT_EQ(settings_.GetSetting("FlowControl1", ""), "RtsCts");
    EXPECT_EQ(port_.Flow(), FlowControl::Hardware);
    EXPECT_TRUE(prompts_.Messages().empty());
}

}  // namespace
}  // namespace kestrum
