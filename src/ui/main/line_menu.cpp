#include "ui/main/line_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "session/port_session.h"
#include "session/send_line_end.h"

namespace kestrum {

using namespace line_ui;

namespace {

QAction* AddItem(QMenu& menu, const char* caption, const char* name, bool checkable,
                 const char* shortcut) {
    QAction* action = menu.addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(checkable);
    action->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
    return action;
}

}  // namespace

LineMenu::LineMenu(QMenuBar& bar, QAction* before, PortSession& session, SendLineEnd& lineEnd)
    : QObject(&bar), session_(session), lineEnd_(lineEnd) {
    menu_ = new QMenu(QStringLiteral("&Line"), &bar);
    menu_->setObjectName(QStringLiteral("Linemenu"));
    // Disabled items say why in their tooltips.
    menu_->setToolTipsVisible(true);
    bar.insertMenu(before, menu_);
    rts_ = AddItem(*menu_, "RTS", "RequestToSendmenu", true, kKeyRequestToSend);
    dtr_ = AddItem(*menu_, "DTR", "DataTerminalReadymenu", true, kKeyDataTerminalReady);
    break_ = AddItem(*menu_, "Send Break", "SendBreakmenu", false, kKeySendBreak);
    menu_->addSeparator();
    reconnect_ = AddItem(*menu_, "Reconnect Automatically", "Reconnectmenu", true, kKeyReconnect);
    reconnect_->setToolTip(QString::fromLatin1(kTipReconnect));
    menu_->addSeparator();
    QMenu* lineEnds = menu_->addMenu(QString::fromLatin1(line_end_text::kMenuCaption));
    lineEnds->setObjectName(QStringLiteral("LineEndmenu"));
    lineEnds->setToolTipsVisible(true);
    auto* group = new QActionGroup(lineEnds);
    for (std::size_t i = 0; i < lineEnds_.size(); ++i) {
        lineEnds_[i] = AddItem(*lineEnds, line_end_text::kCaptions[i], line_end_text::kStored[i],
                               true, kKeysLineEnd[i]);
        lineEnds_[i]->setObjectName(QStringLiteral("LineEnd") + lineEnds_[i]->objectName() +
                                    QStringLiteral("menu"));
        lineEnds_[i]->setToolTip(QString::fromLatin1(kTipLineEnd));
        group->addAction(lineEnds_[i]);
        connect(lineEnds_[i], &QAction::triggered, this,
                [this, i] { lineEnd_.Set(session_.Port().CommPort(), static_cast<LineEnd>(i)); });
    }

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
    const auto chosen = static_cast<std::size_t>(lineEnd_.Of(session_.Port().CommPort()));
    lineEnds_.at(chosen)->setChecked(true);
}

}  // namespace kestrum
