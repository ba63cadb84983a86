// The screens over the catalogue of generated declarations: their grids, and the transmission and receipt screens'
// flows and refusals, also when closed in the middle of them.
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "app/declaration_selection_screen.h"
#include "app/receipt_screen.h"
#include "app/transmission_screen.h"
#include "core/folder_lock.h"
#include "delivery/receipt_validation.h"
#include "support/app_test_support.h"

using namespace kova;
using namespace kova::app;
using namespace kova::app::testing;
namespace fs = std::filesystem;

namespace {

QStringList rowTexts(const QTableView* grid, int row) {
    QStringList cells;
    for (int c = 0; c < grid->model()->columnCount(); ++c) cells << grid->model()->index(row, c).data().toString();
    return cells;
}

void clickOk(CatalogueScreen* screen) { screen->BtnCmd(CatalogueButton::Ok)->click(); }

}  // namespace

class CatalogueScreensTest : public QObject {
    Q_OBJECT

private slots:
    // In the order of their CNPJ, the first row marked.
    void theGridListsTheDeclarationsInOrder() {
        DeliveryDesk desk;
        desk.add(5, "BETA COMERCIO");
        desk.add(2, "ALFA INDUSTRIA");
        desk.add(7, "GAMA SERVICOS");
        CatalogueScreen* screen = desk.open<DeclarationSelectionScreen>();
        QCOMPARE(screen->windowTitle(), QStringLiteral("Selecionar Declaração Para Imprimir"));
        QVERIFY(allOff(desk.main));
        QTableView* grid = screen->grid();
        QStringList headers;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            headers << grid->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(headers, (QStringList{"CNPJ", "Ano", "Situação", "Data do Evento", "Tipo", "Transmitida",
                                       "Nome Empresarial"}));
        QCOMPARE(rowTexts(grid, 0), (QStringList{punctuatedCnpj(fixtures::nthCnpj(2)), "2023", "00 - Normal",
                                                 "00/00/0000", "Original", "N", "ALFA INDUSTRIA"}));
        QCOMPARE(grid->selectionModel()->selectedRows().size(), 1);
        screen->BtnCmd(CatalogueButton::Cancel)->click();
        QTRY_VERIFY(!desk.main.hasOpenScreen() && allOn(desk.main));
    }

    // A refused one (Quiboro too old) stays listed; one sent leaves the list.
    void aTransmittedDeclarationLeavesTheListAndItsReceiptPrints() {
        DeliveryDesk desk;
        const fs::path refused = desk.add(1, "PRIMEIRA");
        desk.add(2, "SEGUNDA");
        CatalogueScreen* screen = desk.open<TransmissionScreen>();
        {
            InstalledQuiboro old("200701");
            bool noticed = false;
            whenModalShows(QStringLiteral("KOVALDME1"), [&](QWidget* dialog) {
                noticed = true;
                clickButton(dialog, QStringLiteral("BtnFechar"));
            });
            clickOk(screen);
            QVERIFY(noticed);
            QVERIFY(!fs::exists(receiptPathOf(refused)));
            QCOMPARE(screen->grid()->model()->rowCount(), 2);
        }
        InstalledQuiboro quiboro;
        clickOk(screen);
        QVERIFY(desk.prompts.saw("Declaração recebida pela QOT em "));
        QVERIFY(fs::exists(receiptPathOf(refused)));
        QCOMPARE(rowTexts(screen->grid(), 0).last(), QStringLiteral("SEGUNDA"));
        screen->BtnCmd(CatalogueButton::Cancel)->click();
        QTRY_VERIFY(!desk.main.hasOpenScreen());

        // Only the one sent has a receipt to print. Closed while its question is open, the screen prints the
        // receipt all the same and goes after it.
        screen = desk.open<ReceiptScreen>();
        QCOMPARE(screen->grid()->model()->rowCount(), 1);
        desk.prompts.shown.clear();
        QString status;
        bool closed = true;
        desk.prompts.onShow = [&](const Message& m) {
            status = screen->statusLabel()->text();
            if (m.text == "Confirma a impressão do recibo ?") closed = screen->parentWidget()->close();
        };
        clickOk(screen);
        QVERIFY(!closed);
        QCOMPARE(status, QStringLiteral("Verificando o arquivo da declaração... Aguarde."));
        QCOMPARE(desk.prompts.shown.size(), std::size_t(2));
        QCOMPARE(desk.prompts.shown[1].text, std::string("O recibo da declaração foi enviado para a impressora."));
        QCOMPARE(desk.pages.size(), std::size_t(1));
        QVERIFY(desk.printedLines().join('\n').contains(QStringLiteral("RECIBO DE ENTREGA DA DECLARAÇÃO")));
        QTRY_VERIFY(!desk.main.hasOpenScreen());
    }

    // Closed while the transmission waits for another writer of the program folder: the screen goes once the
    // transmission has ended.
    void closingTheTransmissionScreenWaitsForTheTransmission() {
        DeliveryDesk desk;
        InstalledQuiboro quiboro;
        desk.add(1, "ESPERA");
        DeliveryServices services = desk.services();
        services.writeLockWait = std::chrono::milliseconds(400);
        auto* screen = new TransmissionScreen(desk.context, desk.main, services);
        desk.main.showChild(screen);
        waitForCatalogue(screen);
        const auto other = FolderWriteLock::acquire(desk.folder.stdPath(), std::chrono::milliseconds(0));
        QVERIFY(other);
        QTimer::singleShot(100, screen, [&] { QVERIFY(!screen->parentWidget()->close()); });
        bool openWhenRefused = false;
        desk.prompts.onShow = [&](const Message&) {
            openWhenRefused = desk.main.hasOpenScreen() && screen->operationRunning();
        };
        clickOk(screen);
        QVERIFY(desk.prompts.saw("está em uso por outro processo"));
        QVERIFY(openWhenRefused);
        QTRY_VERIFY(!desk.main.hasOpenScreen() && allOn(desk.main));
    }

};

QTEST_MAIN(CatalogueScreensTest)
#include "catalogue_screens_test.moc"
