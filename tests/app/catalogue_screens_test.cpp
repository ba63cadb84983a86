// The screens over the catalogue of generated declarations: their grids, the transmission and receipt screens'
// flows, also when closed in the middle of them, and the report screen's choices, print and stop.
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "app/declaration_report_screen.h"
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

void clickOk(CatalogueScreen* screen) { screen->BtnCmd(CatalogueButton::Ok)->click(); }

constexpr const char* kStopQuestion = "Deseja realmente cancelar a impressão ?";

// The report screen on a generated declaration, shown over the main window.
struct ReportDesk : DeliveryDesk {
    explicit ReportDesk(int levies = 2) {
        row.fileName = add(3, "EMPRESA DO RELATORIO", levies).string();
        row.cnpj = fixtures::nthCnpj(3);
        const print::ReportLabels labels{"12.345", "EMPRESA", "2023", "00 - Normal", "Original", "00/00/0000"};
        screen = std::make_unique<DeclarationReportScreen>(main, services(), labels, row, &main);
        screen->show();
        screen->activateWindow();  // access keys act in the active window
        QTest::qWaitForWindowActive(screen.get());
    }
    CatalogueRow row;
    std::unique_ptr<DeclarationReportScreen> screen;
};

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
        QTableView* grid = screen->grid();
        QStringList headers;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            headers << grid->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(headers, (QStringList{"CNPJ", "Ano", "Situação", "Data do Evento", "Tipo", "Transmitida",
                                       "Nome Empresarial"}));
        QStringList firstRow;
        for (int c = 0; c < grid->model()->columnCount(); ++c) firstRow << grid->model()->index(0, c).data().toString();
        QCOMPARE(firstRow, (QStringList{"10.000.002/0001-34", "2023", "00 - Normal", "00/00/0000", "Original", "N",
                                        "ALFA INDUSTRIA"}));
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
        QCOMPARE(screen->grid()->model()->index(0, 5).data().toString(), QStringLiteral("SEGUNDA"));
        screen->BtnCmd(CatalogueButton::Cancel)->click();
        QTRY_VERIFY(!desk.main.hasOpenScreen());

        // Only the one sent has a receipt to print. Closed while its question is open, the screen prints the
        // receipt all the same and goes after it.
        screen = desk.open<ReceiptScreen>();
        QCOMPARE(screen->grid()->model()->rowCount(), 1);
        QString status;
        bool closed = true;
        desk.prompts.onShow = [&](const Message& m) {
            status = screen->statusLabel()->text();
            if (m.text == "Confirma a impressão do recibo ?") closed = screen->parentWidget()->close();
        };
        clickOk(screen);
        QVERIFY(!closed);
        QCOMPARE(status, QStringLiteral("Verificando o arquivo da declaração... Aguarde."));
        QVERIFY(desk.prompts.saw("O recibo da declaração foi enviado para a impressora."));
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


    void theChoicesDecideWhatCanBePrinted() {
        ReportDesk desk;
        DeclarationReportScreen& s = *desk.screen;
        QVERIFY(!s.ChkTipoRegistro(0)->isEnabled() && !s.CmdImprimir()->isEnabled() && !s.CmdCancel()->isEnabled());
        QTest::keyClick(&s, Qt::Key_I, Qt::AltModifier);  // the access key of a button that is off does nothing
        QTest::qWait(300);  // an access key clicks after a short delay
        QVERIFY(desk.prompts.shown.empty());
        s.OptTipoImpressao(1)->click();
        QVERIFY(s.ChkTipoRegistro(2)->isEnabled() && !s.CmdImprimir()->isEnabled());
        s.ChkTipoRegistro(2)->click();
        QVERIFY(s.CmdImprimir()->isEnabled());
        s.ChkTipoRegistro(2)->click();
        QVERIFY(!s.CmdImprimir()->isEnabled());
        s.ChkTipoRegistro(0)->click();
        s.OptTipoImpressao(0)->click();
        QVERIFY(!s.ChkTipoRegistro(0)->isChecked() && !s.ChkTipoRegistro(0)->isEnabled());
        QVERIFY(s.CmdImprimir()->isEnabled());
    }

    // A long report stopped from the stop button or from the close box: the question, then the report ends at
    // once with "IMPRESSÃO INTERROMPIDA" and goes to the printer; the screen closes after it.
    void stoppingALongReport() {
        for (const bool closeBox : {false, true}) {
            ReportDesk desk(60000);
            DeclarationReportScreen& s = *desk.screen;
            s.OptTipoImpressao(0)->click();
            desk.prompts.answer(kStopQuestion, Answer::Yes);
            bool stayedWhilePrinting = false;
            whenTrue([&] { return s.PgBar()->value() >= 10; }, [&] {
                QVERIFY(s.CmdCancel()->isEnabled() && !s.CmdImprimir()->isEnabled());
                QVERIFY(!s.CmdCancelar()->isEnabled());
                closeBox ? (void)s.close() : s.CmdCancel()->click();
                stayedWhilePrinting = s.isVisible() && s.printing();
            });
            s.CmdImprimir()->click();
            QCOMPARE(desk.prompts.count(kStopQuestion), 1);
            QVERIFY(stayedWhilePrinting);
            QVERIFY(desk.pages.size() > 2 && desk.pages.size() < 1000);  // 1 + 1 + 1 + 1072 estimated
            QCOMPARE(desk.printedLines().filter(QStringLiteral("IMPRESSÃO INTERROMPIDA")).size(), 1);
            QVERIFY(desk.prompts.saw("Impressão do relatório concluída com sucesso."));
            QVERIFY(!s.isVisible());
        }
    }
};

QTEST_MAIN(CatalogueScreensTest)
#include "catalogue_screens_test.moc"
