// The screens over the catalogue of generated declarations: their grids, the empty catalogue, one row at a time,
// and the transmission and receipt screens' flows and refusals, also when closed in the middle of them.
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "app/catalogue_model.h"
#include "app/declaration_selection_screen.h"
#include "app/receipt_screen.h"
#include "app/transmission_screen.h"
#include "core/folder_lock.h"
#include "delivery/receipt_validation.h"
#include "support/app_test_support.h"
#include "support/file_bytes.h"

using namespace kova;
using namespace kova::app;
using namespace kova::app::testing;
namespace fs = std::filesystem;

namespace {

enum class Kind { Transmission, Receipt, Selection };

CatalogueScreen* openScreen(DeliveryDesk& desk, Kind kind) {
    switch (kind) {
        case Kind::Transmission: return desk.open<TransmissionScreen>();
        case Kind::Receipt: return desk.open<ReceiptScreen>();
        case Kind::Selection: return desk.open<DeclarationSelectionScreen>();
    }
    return nullptr;
}

QStringList headers(const QTableView* grid) {
    QStringList list;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        list << grid->model()->headerData(c, Qt::Horizontal).toString();
    return list;
}

QStringList rowTexts(const QTableView* grid, int row) {
    QStringList cells;
    for (int c = 0; c < grid->model()->columnCount(); ++c) cells << grid->model()->index(row, c).data().toString();
    return cells;
}

bool isOpen(DeliveryDesk& desk) { return desk.main.hasOpenScreen(); }

// Transmits through the stand-in Quiboro, as the transmission screen does, so that a receipt exists.
void transmitted(const fs::path& deliveryFile) {
    ScriptedPrompts quiet;
    TransmissionRequest request;
    request.deliveryFile = deliveryFile;
    QVERIFY(transmit(quiet, request) == TransmissionOutcome::Accepted);
}

void flipByte(const fs::path& file, std::size_t at) {
    std::string bytes = testing_support::readBytes(file);
    bytes[at] ^= 1;
    testing_support::writeBytes(file, bytes);
}

}  // namespace

Q_DECLARE_METATYPE(Kind)

class CatalogueScreensTest : public QObject {
    Q_OBJECT

private slots:
    void theGridListsTheDeclarationsInOrder_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("transmittedColumn");
        QTest::newRow("KOVALDTRANSM") << Kind::Transmission
                                      << "Transmitir via Internet - Declarações gravadas para entrega à QOT" << false;
        QTest::newRow("KOVALDSELDECIMPD") << Kind::Selection << "Selecionar Declaração Para Imprimir" << true;
    }
    void theGridListsTheDeclarationsInOrder() {
        QFETCH(Kind, kind);
        QFETCH(QString, caption);
        QFETCH(bool, transmittedColumn);
        DeliveryDesk desk;
        desk.add(5, "BETA COMERCIO");
        desk.add(2, "ALFA INDUSTRIA");
        desk.add(7, "GAMA SERVICOS");
        CatalogueScreen* screen = openScreen(desk, kind);
        QCOMPARE(screen->windowTitle(), caption);
        QVERIFY(allOff(desk.main));
        QTableView* grid = screen->grid();
        QStringList expected = {"CNPJ", "Ano", "Situação", "Data do Evento", "Tipo", "Nome Empresarial"};
        if (transmittedColumn) expected.insert(5, QStringLiteral("Transmitida"));
        QCOMPARE(headers(grid), expected);
        QCOMPARE(grid->model()->rowCount(), 3);
        QStringList first = {punctuatedCnpj(fixtures::nthCnpj(2)), "2023", "00 - Normal", "00/00/0000", "Original",
                             "ALFA INDUSTRIA"};
        if (transmittedColumn) first.insert(5, QStringLiteral("N"));
        QCOMPARE(rowTexts(grid, 0), first);
        QCOMPARE(rowTexts(grid, 2).last(), QStringLiteral("GAMA SERVICOS"));
        // Every cell is read without widening its column.
        for (int row = 0; row < 3; ++row) {
            const QStringList cells = rowTexts(grid, row);
            for (int c = 0; c < cells.size(); ++c)
                QVERIFY(grid->columnWidth(c) > grid->fontMetrics().horizontalAdvance(cells[c]));
        }
        // The first row is the current and marked one.
        QCOMPARE(grid->selectionModel()->selectedRows().size(), 1);
        QVERIFY(screen->BtnCmd(CatalogueButton::Ok)->isEnabled());
        screen->BtnCmd(CatalogueButton::Cancel)->click();
        QTRY_VERIFY(!isOpen(desk) && allOn(desk.main));
    }

    void anEmptyCatalogueIsToldAndClosesTheScreen_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("title");
        QTest::newRow("transmissão") << Kind::Transmission << "Transmitir Declarações";
        QTest::newRow("recibo") << Kind::Receipt << "Imprimir Recibo";
        QTest::newRow("seleção") << Kind::Selection << "Imprimir Declarações";
    }
    void anEmptyCatalogueIsToldAndClosesTheScreen() {
        QFETCH(Kind, kind);
        QFETCH(QString, title);
        DeliveryDesk desk;
        InstalledQuiboro quiboro;
        // A declaration none of them lists: sent (nothing to send), without receipt (nothing to print) or gone.
        const fs::path file = desk.add(1, "NENHUMA");
        if (kind == Kind::Transmission) transmitted(file);
        if (kind == Kind::Selection) fs::remove(file);
        openScreen(desk, kind);
        QTRY_VERIFY(!isOpen(desk));
        QCOMPARE(desk.prompts.shown.size(), std::size_t(1));
        QCOMPARE(desk.prompts.shown[0].text, std::string("A unidade não contém declarações."));
        QCOMPARE(QString::fromStdString(desk.prompts.shown[0].title), title);
        QVERIFY(allOn(desk.main));
    }

    void markingASecondRowClearsTheMarks() {
        DeliveryDesk desk;
        desk.add(1, "UM");
        desk.add(2, "DOIS");
        CatalogueScreen* screen = desk.open<DeclarationSelectionScreen>();
        QTableView* grid = screen->grid();
        QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(grid->selectionModel()->selectedRows().size(), 0);
        QVERIFY(screen->BtnCmd(CatalogueButton::Ok)->isEnabled());  // unchanged until one row is marked
        QTest::keyClick(grid, Qt::Key_Up);
        QCOMPARE(grid->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(grid->currentIndex().row(), 0);
        // F1 is the screen's help topic.
        QTest::keyClick(grid, Qt::Key_F1);
        QVERIFY(desk.help.window() && desk.help.window()->currentPage().endsWith(QStringLiteral("topico-20.html")));
        desk.help.window()->close();
    }

    void transmittingTakesTheDeclarationOffTheList() {
        DeliveryDesk desk;
        InstalledQuiboro quiboro;
        const fs::path first = desk.add(1, "PRIMEIRA");
        desk.add(2, "SEGUNDA");
        CatalogueScreen* screen = desk.open<TransmissionScreen>();
        screen->BtnCmd(CatalogueButton::Ok)->click();
        QVERIFY2(desk.prompts.saw("Declaração recebida pela QOT em "), qPrintable(desk.prompts.transcript()));
        QVERIFY(fs::exists(receiptPathOf(first)));
        QCOMPARE(screen->grid()->model()->rowCount(), 1);
        QCOMPARE(rowTexts(screen->grid(), 0).last(), QStringLiteral("SEGUNDA"));
        // The last one sent: the screen says so and stays, with nothing to send.
        QTest::keyClick(screen->grid(), Qt::Key_Return);
        const Message* none = desk.prompts.find("Não existem declarações a serem transmitidas");
        QVERIFY(none);
        QCOMPARE(none->title, std::string("Transmitir Declarações"));
        QVERIFY(isOpen(desk));
        QCOMPARE(screen->grid()->model()->rowCount(), 0);
        QVERIFY(!screen->BtnCmd(CatalogueButton::Ok)->isEnabled());
        QVERIFY(screen->BtnCmd(CatalogueButton::Cancel)->isEnabled());
    }

    void aRefusedTransmissionKeepsTheDeclarationListed_data() {
        QTest::addColumn<QString>("version");  // "" for no Quiboro at all
        QTest::addColumn<QString>("notice");
        QTest::addColumn<bool>("altered");
        QTest::newRow("sem Quiboro") << "" << "KOVALDME2" << false;
        QTest::newRow("versão antiga") << "200701" << "KOVALDME1" << false;
        QTest::newRow("arquivo alterado") << "200702" << "" << true;
    }
    void aRefusedTransmissionKeepsTheDeclarationListed() {
        QFETCH(QString, version);
        QFETCH(QString, notice);
        QFETCH(bool, altered);
        DeliveryDesk desk;
        InstalledQuiboro quiboro(version.toStdString(), !version.isEmpty());
        const fs::path file = desk.add(1, "RECUSADA");
        if (altered) flipByte(file, testing_support::readBytes(file).find("\r\n") + 2 + 60);
        CatalogueScreen* screen = desk.open<TransmissionScreen>();
        bool noticed = false;
        if (!notice.isEmpty()) {
            whenModalShows(notice, [&](QWidget* dialog) {
                noticed = dialog->windowTitle() == QStringLiteral("Transmissão da Declaração");
                clickButton(dialog, QStringLiteral("BtnFechar"));
            });
        }
        screen->BtnCmd(CatalogueButton::Ok)->click();
        QCOMPARE(noticed, !notice.isEmpty());
        QCOMPARE(desk.prompts.saw("O arquivo selecionado foi alterado após o procedimento de importação."), altered);
        QVERIFY(!fs::exists(receiptPathOf(file)));
        QCOMPARE(screen->grid()->model()->rowCount(), 1);
        QVERIFY(screen->BtnCmd(CatalogueButton::Ok)->isEnabled());
    }

    // Closed while the transmission waits for another writer of the program folder: the screen goes once the
    // transmission has ended.
    void closingTheTransmissionScreenWaitsForTheTransmission() {
        DeliveryDesk desk;
        InstalledQuiboro quiboro;
        desk.add(1, "ESPERA");
        auto* screen = new TransmissionScreen(desk.context, desk.main, [&] {
            DeliveryServices s = desk.services();
            s.writeLockWait = std::chrono::milliseconds(400);
            return s;
        }());
        desk.main.showChild(screen);
        waitForCatalogue(screen);
        const auto other = FolderWriteLock::acquire(desk.folder.stdPath(), std::chrono::milliseconds(0));
        QVERIFY(other);
        QTimer::singleShot(100, screen, [&] { QVERIFY(!screen->parentWidget()->close()); });
        bool openWhenRefused = false;
        desk.prompts.onShow = [&](const Message&) { openWhenRefused = isOpen(desk) && screen->operationRunning(); };
        screen->BtnCmd(CatalogueButton::Ok)->click();
        QVERIFY(desk.prompts.saw("está em uso por outro processo"));
        QVERIFY(openWhenRefused);
        QTRY_VERIFY(!isOpen(desk) && allOn(desk.main));
    }

    // Closed while its question is open: the receipt is printed all the same, and then the screen goes.
    void theReceiptIsPrintedAndAScreenClosedMeanwhileGoesAfterIt() {
        DeliveryDesk desk;
        InstalledQuiboro quiboro;
        transmitted(desk.add(1, "COM RECIBO"));
        desk.add(2, "SEM RECIBO");
        CatalogueScreen* screen = desk.open<ReceiptScreen>();
        QCOMPARE(screen->grid()->model()->rowCount(), 1);
        QCOMPARE(rowTexts(screen->grid(), 0)[5], QStringLiteral("S"));
        QString status;
        bool closed = true;
        desk.prompts.onShow = [&](const Message& m) {
            status = screen->statusLabel()->text();
            if (m.text == "Confirma a impressão do recibo ?") closed = screen->parentWidget()->close();
        };
        screen->BtnCmd(CatalogueButton::Ok)->click();
        QVERIFY(!closed);
        QCOMPARE(status, QStringLiteral("Verificando o arquivo da declaração... Aguarde."));
        QCOMPARE(desk.prompts.shown.size(), std::size_t(2));
        QCOMPARE(desk.prompts.shown[1].text, std::string("O recibo da declaração foi enviado para a impressora."));
        QCOMPARE(desk.pages.size(), std::size_t(1));
        QVERIFY(desk.printedLines().join('\n').contains(QStringLiteral("RECIBO DE ENTREGA DA DECLARAÇÃO")));
        QTRY_VERIFY(!isOpen(desk));
    }

    void aReceiptThatCannotBePrintedPrintsNothing_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("told");
        QTest::newRow("recusada") << "" << "";
        QTest::newRow("recibo excluído") << "recibo" << "O arquivo do recibo não existe ou foi excluído.";
        QTest::newRow("declaração alterada") << "declaração" << "Estas alterações invalidam a declaração";
    }
    void aReceiptThatCannotBePrintedPrintsNothing() {
        QFETCH(QString, damage);
        QFETCH(QString, told);
        DeliveryDesk desk;
        InstalledQuiboro quiboro;
        const fs::path file = desk.add(1, "DANIFICADA");
        transmitted(file);
        transmitted(desk.add(2, "INTACTA"));
        CatalogueScreen* screen = desk.open<ReceiptScreen>();
        if (damage.isEmpty()) desk.prompts.answer("Confirma a impressão do recibo ?", Answer::No);
        if (damage == QStringLiteral("recibo")) fs::remove(receiptPathOf(file));
        if (damage == QStringLiteral("declaração")) flipByte(file, testing_support::readBytes(file).size() - 200);
        screen->BtnCmd(CatalogueButton::Ok)->click();
        QVERIFY(desk.pages.empty());
        if (!told.isEmpty()) QVERIFY2(desk.prompts.saw(told.toStdString()), qPrintable(desk.prompts.transcript()));
        QVERIFY(!desk.prompts.saw("enviado para a impressora"));
        // The other declaration is still there to print.
        QVERIFY(isOpen(desk));
        QVERIFY(screen->BtnCmd(CatalogueButton::Ok)->isEnabled());
    }

};

QTEST_MAIN(CatalogueScreensTest)
#include "catalogue_screens_test.moc"
