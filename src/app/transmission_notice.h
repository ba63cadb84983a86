// oldTransmissionProgramNotice and missingTransmissionProgramNotice: the notices about the transmission program Quiboro (an installed version that cannot
// transmit this declaration; Quiboro not found). They differ only in their text.
#pragma once

#include <QDialog>

namespace kova::app {

enum class TransmissionNoticeKind { OldVersion /* oldTransmissionProgramNotice */, NotInstalled /* missingTransmissionProgramNotice */ };

QString transmissionNoticeText(TransmissionNoticeKind kind);

class TransmissionNotice : public QDialog {
    Q_OBJECT
public:
    explicit TransmissionNotice(TransmissionNoticeKind kind, QWidget* parent = nullptr);
};

}  // namespace kova::app
