// The notices about the transmission program Quiboro as windows of their own (an installed version that cannot
// transmit this declaration; Quiboro not found), with the agency's address as a link. They differ only in text.
#pragma once

#include <QDialog>

#include "delivery/transmission.h"

namespace kova::app {

class TransmissionNotice : public QDialog {
    Q_OBJECT
public:
    explicit TransmissionNotice(QuiboroNotice kind, QWidget* parent = nullptr);
};

// The transmission's dialogs on the screen: each notice modal over `parent`.
class ScreenTransmissionDialogs : public TransmissionDialogs {
public:
    explicit ScreenTransmissionDialogs(QWidget* parent) : parent_(parent) {}
    void showNotice(QuiboroNotice notice) override;

private:
    QWidget* parent_;
};

}  // namespace kova::app
