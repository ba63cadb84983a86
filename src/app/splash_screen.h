// SplashScreen: shown at start-up while the work database is opened; closes after about four seconds, at once
// on Enter or a click on the picture.
#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;
class QTimer;

namespace kova::app {

class SplashScreen : public QDialog {
    Q_OBJECT
public:
    // openDatabase reports its own failure to the person and returns false.
    SplashScreen(std::function<bool()> openDatabase, QWidget* parent = nullptr, int tickIntervalMs = 1000);

    // Shows the splash, opens the database and waits until the splash closes. False when the database could not
    // be opened (the program ends).
    bool run();

    int counter() const { return counter_; }
    QLineEdit* text1() const { return text1_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    void tick();
    void finish();

    std::function<bool()> openDatabase_;
    QTimer* timer_;
    QLineEdit* text1_;
    short counter_ = 1;
    short limit_ = 4;
    bool closed_ = false;
};

}  // namespace kova::app
