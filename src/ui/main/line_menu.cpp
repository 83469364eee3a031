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
    const bool usable = port.HasControlLines();
    const QString why = QString::fromLatin1(port.PortOpen() ? kTipNoControlLines : kTipClosed);
    const bool handshake = lines.Flow() == FlowControl::Hardware;
    rts_->setChecked(lines.RequestToSend());
    rts_->setEnabled(usable && !handshake);
    rts_->setToolTip(!usable     ? why
                     : handshake ? QString::fromLatin1(kTipHandshake)
                                 : QString::fromLatin1(kTipRequestToSend));
    dtr_->setChecked(lines.DataTerminalReady());
    dtr_->setEnabled(usable);
    dtr_->setToolTip(usable ? QString::fromLatin1(kTipDataTerminalReady) : why);
    break_->setEnabled(usable);
    break_->setToolTip(usable ? QString::fromLatin1(kTipSendBreak) : why);
    reconnect_->setChecked(session_.ReconnectEnabled());
}

}  // namespace kestrum
