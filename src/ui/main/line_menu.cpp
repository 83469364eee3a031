#include "ui/main/line_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "session/port_session.h"

namespace kestrum {

using namespace line_ui;

namespace {

QAction* AddItem(QMenu& menu, const char* caption, const char* name, bool checkable) {
    QAction* action = menu.addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(checkable);
    return action;
}

}  // namespace

LineMenu::LineMenu(QMenuBar& bar, QAction* before, PortSession& session)
    : QObject(&bar), session_(session) {
    menu_ = new QMenu(QStringLiteral("Line"), &bar);
    menu_->setObjectName(QStringLiteral("Linemenu"));
    // Disabled items say why in their tooltips.
    menu_->setToolTipsVisible(true);
    bar.insertMenu(before, menu_);
    rts_ = AddItem(*menu_, "RTS", "RequestToSendmenu", true);
    dtr_ = AddItem(*menu_, "DTR", "DataTerminalReadymenu", true);
    break_ = AddItem(*menu_, "Send Break", "SendBreakmenu", false);
    menu_->addSeparator();
    reconnect_ = AddItem(*menu_, "Reconnect Automatically", "Reconnectmenu", true);
    reconnect_->setToolTip(QString::fromLatin1(kTipReconnect));

    connect(rts_, &QAction::triggered, this, [this](bool on) {
        session_.Lines().SetRequestToSend(on);
        Update();
    });
    connect(dtr_, &QAction::triggered, this, [this](bool on) {
        session_.Lines().SetDataTerminalReady(on);
        Update();
    });
    connect(break_, &QAction::triggered, this, [this] { session_.Lines().SendBreak(); });
    connect(reconnect_, &QAction::triggered, this,
            [this](bool on) { session_.SetReconnectEnabled(on); });
    connect(menu_, &QMenu::aboutToShow, this, &LineMenu::Update);
    connect(&session_, &PortSession::StateChanged, this, &LineMenu::Update);
    Update();
}

void LineMenu::Update() {
    const SerialPort& port = session_.Port();
    const LineControl& lines = session_.Lines();
    // A closed port keeps RTS and DTR for its next open (a device that resets on DTR needs
    // it set before); only an open port without control lines refuses them.
    const bool open = port.PortOpen();
    const bool settable = !open || port.HasControlLines();
    const QString noLines = QString::fromLatin1(kTipNoControlLines);
    const bool handshake = lines.Flow() == FlowControl::Hardware;
    rts_->setChecked(lines.RequestToSend());
    rts_->setEnabled(settable && !handshake);
    rts_->setToolTip(!settable   ? noLines
                     : handshake ? QString::fromLatin1(kTipHandshake)
                                 : QString::fromLatin1(kTipRequestToSend));
    dtr_->setChecked(lines.DataTerminalReady());
    dtr_->setEnabled(settable);
    dtr_->setToolTip(settable ? QString::fromLatin1(kTipDataTerminalReady) : noLines);
    const bool canBreak = open && port.HasControlLines();
    break_->setEnabled(canBreak);
    break_->setToolTip(canBreak ? QString::fromLatin1(kTipSendBreak)
                       : open   ? noLines
                                : QString::fromLatin1(kTipClosed));
    reconnect_->setChecked(session_.ReconnectEnabled());
}

}  // namespace kestrum
