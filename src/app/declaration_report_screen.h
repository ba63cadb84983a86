// DeclarationReportScreen "Imprimir Declaração": the chosen declaration's identification, what to print (the
// whole declaration or the ticked record types), and the print of the report with its progress. The stop button
// works while the report prints; closing the screen meanwhile asks the same question.
#pragma once

#include <QDialog>
#include <QMap>
#include <filesystem>
#include <string>

#include "app/delivery_services.h"
#include "app/event_pump.h"
#include "core/ports.h"
#include "delivery/catalogue.h"
#include "print/declaration_selection.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace kova::print {
class DeclarationReport;
}

namespace kova::app {

class ScreenHost;

class DeclarationReportScreen : public QDialog, public Progress {
    Q_OBJECT
public:
    DeclarationReportScreen(ScreenHost& host, DeliveryServices services, const print::ReportLabels& labels,
                            const CatalogueRow& row, QWidget* parent = nullptr);
    ~DeclarationReportScreen() override;

    // Progress of the running report.
    void setPercent(int percent) override;
    void pump() override;

    // What the person does.
    void onWholeDeclaration();
    void onSelectRecords();
    void onRecordTypeClicked(int index);
    void onPrint();
    void onStop();

    // From "&Imprimir" until the report has ended (its checks and questions included).
    bool printing() const { return running_; }
    QRadioButton* OptTipoImpressao(int index) const { return options_[index]; }
    QCheckBox* ChkTipoRegistro(int index) const { return recordTypes_[index]; }
    QGroupBox* fraTipoRegistro() const { return recordFrame_; }
    QPushButton* CmdImprimir() const { return print_; }
    QPushButton* CmdCancel() const { return stop_; }
    QPushButton* CmdCancelar() const { return close_; }
    QPushButton* CmdAjuda() const { return help_; }
    QLabel* LblStatus() const { return status_; }
    QProgressBar* PgBar() const { return progress_; }
    QLabel* valueLabel(const QString& name) const { return values_.value(name); }

public slots:
    // The close box and Escape: while the report prints, the stop question.
    void reject() override;

private:
    QWidget* buildIdentification(const print::ReportLabels& labels);
    QWidget* buildChoices();
    QWidget* buildButtons();
    // The buttons while the report prints: only the stop on. Switched when the report starts printing, so
    // the refusals and questions before it leave the screen as it was.
    void setPrinting(bool printing);
    // "Deseja realmente cancelar a impressão ?": Yes stops the report at its next record.
    bool askStop();

    ScreenHost& host_;
    DeliveryServices services_;
    std::filesystem::path deliveryFile_;
    std::string cnpj_;
    EventPump pump_;
    CancelFlag cancel_;
    print::DeclarationReport* report_ = nullptr;  // while it prints
    bool running_ = false;
    bool printing_ = false;
    bool closeRequested_ = false;

    QMap<QString, QLabel*> values_;
    QGroupBox* optionFrame_ = nullptr;
    QRadioButton* options_[2] = {};
    QGroupBox* recordFrame_ = nullptr;
    QCheckBox* recordTypes_[3] = {};
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* print_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* close_ = nullptr;
    QPushButton* help_ = nullptr;
};

}  // namespace kova::app
