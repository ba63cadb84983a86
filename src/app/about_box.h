// KOVALDSOB: the about box.
#pragma once

#include <QDialog>

namespace kova::app {

class KOVALDSOB : public QDialog {
    Q_OBJECT
public:
    KOVALDSOB(const QString& versionText, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace kova::app
