#include "app/splash_screen.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "app/program_context.h"
#include "app/toolbar_icons.h"
#include "app/window_placement.h"

namespace kova::app {

SplashScreen::SplashScreen(std::function<bool()> openDatabase, QWidget* parent, int tickIntervalMs)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      openDatabase_(std::move(openDatabase)),
      timer_(new QTimer(this)),
      text1_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("KOVALDSPLASH"));
    setWindowTitle(kProgramTitle);
    setStyleSheet(QStringLiteral("KOVALDSPLASH { background: white; border: 2px solid #1f4e79; }"));

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setPixmap(programIcon(ProgramIcon::Program).pixmap(96, 96));
    picture->setAlignment(Qt::AlignCenter);
    picture->installEventFilter(this);

    auto* title = new QLabel(kMainWindowTitle, this);
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);
    auto* wait = new QLabel(QStringLiteral("Aguarde a carga do sistema ..."), this);
    wait->setObjectName(QStringLiteral("Label1"));
    wait->setAlignment(Qt::AlignCenter);

    // Text1 only receives the keyboard: Enter closes the splash, every other key is swallowed.
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setFixedSize(1, 1);
    text1_->setFrame(false);
    text1_->setStyleSheet(QStringLiteral("background: transparent; color: transparent; border: none;"));
    text1_->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 24, 32, 24);
    layout->addWidget(picture);
    layout->addWidget(title);
    layout->addWidget(wait);
    layout->addWidget(text1_, 0, Qt::AlignRight);
    setFixedSize(sizeHint().expandedTo(QSize(420, 260)));

    timer_->setInterval(tickIntervalMs);
    connect(timer_, &QTimer::timeout, this, &SplashScreen::tick);
}

bool SplashScreen::run() {
    if (QWidget* main = parentWidget()) {
        move(centredOver(*this, *main));
    }
    QApplication::restoreOverrideCursor();
    counter_ = 1;
    limit_ = 4;
    closed_ = false;
    show();
    QCoreApplication::processEvents();
    if (openDatabase_ && !openDatabase_()) {
        timer_->stop();
        hide();
        return false;
    }
    timer_->start();
    text1_->setFocus();
    if (!closed_) exec();  // it may have closed already: Enter while the database was being opened
    return true;
}

void SplashScreen::tick() {
    if (counter_ != limit_) {
        ++counter_;
        return;
    }
    finish();
}

void SplashScreen::finish() {
    if (closed_) return;
    closed_ = true;
    counter_ = limit_;
    timer_->stop();
    limit_ = 0;
    hide();
    done(QDialog::Accepted);
}

bool SplashScreen::eventFilter(QObject* watched, QEvent* event) {
    if (watched == text1_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) finish();
        return true;
    }
    if (watched != text1_ && event->type() == QEvent::MouseButtonPress) {
        finish();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void SplashScreen::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) finish();
    // Every other key, Escape included, does nothing.
}

void SplashScreen::reject() {}

}  // namespace kova::app
