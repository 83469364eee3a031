#pragma once
// The Tx and Rx activity lamps (LED1, LED2) and the lamp timer Timer1 that puts
// them out at its first tick.

#include <QColor>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace kestrum {

// A small filled circle: grey at rest, green while lit.
class LampWidget final : public QWidget {
    Q_OBJECT

public:
    explicit LampWidget(QWidget* parent = nullptr);

    void SetLit(bool lit);
    bool IsLit() const { return lit_; }
    QColor FillColour() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool lit_ = false;
};

class ActivityLamps final : public QObject {
    Q_OBJECT

public:
    // The lamps are created as children of `lampParent` (the main window's Frame1),
    // to be placed by absolute geometry; this object deletes them if they outlive it.
    explicit ActivityLamps(QWidget* lampParent, QObject* parent = nullptr);
    ~ActivityLamps() override;

    LampWidget* LED1() const { return led1_; }
    LampWidget* LED2() const { return led2_; }
    QTimer& Timer1() { return timer1_; }

    // Lamp green and the timer enabled: the lamp goes out within one interval.
    void LightTransmitLamp();
    void LightReceiveLamp();
    // Tx lamp green without enabling the timer: the text file sender keeps it lit
    // while it sends and calls EnableTimer() when the file ends.
    void HoldTransmitLamp();
    // Enabling while enabled does not restart the interval.
    void EnableTimer();

    // The timer's tick: both lamps grey, timer disabled.
    void Timer1_Timer();

private:
    QPointer<LampWidget> led1_;
    QPointer<LampWidget> led2_;
    QTimer timer1_;
};

}  // namespace kestrum
