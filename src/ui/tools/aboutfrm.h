#pragma once
// The About box: the program's name and version, closed with OK.

#include <QString>
#include <QWidget>

class QKeyEvent;
class QLabel;
class QPushButton;

namespace kestrum {

inline constexpr auto kAboutCaption = "About Kestrum";
inline constexpr auto kAboutProductName = "Kestrum";
inline constexpr auto kAboutDescription = "Orvane Serial Port Test Software";
inline constexpr auto kAboutOkCaption = "OK";
inline constexpr int kAboutWidth = 330;  // fixed client size, pixels
inline constexpr int kAboutHeight = 170;

class Aboutfrm final : public QWidget {
    Q_OBJECT
public:
    // versionText: "Version 1.6.8", built by the main window at start-up.
    explicit Aboutfrm(QString versionText, QWidget* parent = nullptr);

    // Closes the window; it deletes itself.
    void Command1_Click();

    QLabel* Label1() const { return label1_; }
    QLabel* Label2() const { return label2_; }
    QLabel* Label3() const { return label3_; }
    QPushButton* Command1() const { return command1_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();

    QString versionText_;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* label3_ = nullptr;
    QPushButton* command1_ = nullptr;
};

}  // namespace kestrum
