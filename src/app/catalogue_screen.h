// CatalogueScreen: what the screens over the catalogue of generated declarations share (transmission, receipt,
// declaration selection): the caption label, the grid TDBG1 on its data source Data1, the buttons "&Ok",
// "&Cancelar" and "&Ajuda" (BtnCmd 0 to 2), the one-shot Timer1 that loads the catalogue once the screen is
// shown, one row chosen at a time, and the operation of "&Ok" run with the buttons off and the catalogue loaded
// again after it. Closing the screen while the operation runs waits for its end.
#pragma once

#include <QWidget>

#include "app/delivery_services.h"
#include "app/event_pump.h"
#include "delivery/catalogue.h"

class QLabel;
class QPushButton;
class QTableView;
class QTimer;

namespace kova::app {

class CatalogueModel;
class ScreenHost;
struct ProgramContext;

// One screen's texts and choices.
struct CatalogueScreenSetup {
    const char* objectName;
    const char* caption;
    const char* label;               // above the grid
    CatalogueSelection selection;
    bool withTransmitted;            // the grid shows "Transmitida"
    const char* statusName;          // the status label under the grid; none when null
    int helpTopic;
    const char* emptyTitle;          // "A unidade não contém declarações." when the screen opens
    const char* noneLeftTitle;       // told when nothing is left after an operation
    const char* noneLeftText;
    bool closeWhenNoneLeft;
};

enum class CatalogueButton { Ok = 0, Cancel = 1, Help = 2 };

class CatalogueScreen : public QWidget {
    Q_OBJECT
public:
    ~CatalogueScreen() override;

    QTableView* grid() const { return grid_; }
    CatalogueModel* Data1() const { return model_; }
    QTimer* Timer1() const { return timer_; }
    QPushButton* BtnCmd(CatalogueButton button) const;
    QLabel* statusLabel() const { return status_; }
    bool operationRunning() const { return running_; }

    // Fills the catalogue (under the program folder's write lock) and the grid; what loadCatalogue returned.
    int reload();
    // "&Ok": the button, Enter or a double click on a row. Acts on the current row.
    void onOk();

protected:
    CatalogueScreen(ProgramContext& context, ScreenHost& host, DeliveryServices services,
                    const CatalogueScreenSetup& setup, QWidget* parent);
    // The operation of "&Ok" on the chosen row.
    virtual void runOperation(const CatalogueRow& row) = 0;

    void setStatus(const QString& text);
    // The screen repaints while another process writes the program folder.
    WriteLockWait lockWait();
    EventPump& pump() { return pump_; }
    DeliveryServices& services() { return services_; }
    ProgramContext& context() { return context_; }
    ScreenHost& host() { return host_; }

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void onTimer();
    void onRowsSelected();
    void setButtonsEnabled(bool enabled);
    // Columns as wide as their contents, and the screen as wide as the grid (within the main window).
    void fitToRows();
    int columnNeed(int column) const;

    ProgramContext& context_;
    ScreenHost& host_;
    DeliveryServices services_;
    const CatalogueScreenSetup& setup_;
    EventPump pump_;
    CatalogueModel* model_;
    QTableView* grid_;
    QLabel* status_ = nullptr;
    QTimer* timer_;
    QPushButton* buttons_[3] = {};
    bool loaded_ = false;
    bool running_ = false;
    bool closeRequested_ = false;
};

}  // namespace kova::app
