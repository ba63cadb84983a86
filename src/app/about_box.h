// AboutBox: the about box.
#pragma once

#include <QDialog>

namespace kova::app {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    AboutBox(const QString& versionText, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace kova::app
