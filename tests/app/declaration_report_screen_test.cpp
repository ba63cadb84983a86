// Printing a declaration: the selection screen's refusals, and the report screen's choices, its print and its
// stop while a long report prints (from the stop button and from the close box).
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/declaration_report_screen.h"
#include "app/declaration_selection_screen.h"
#include "support/app_test_support.h"
#include "support/file_bytes.h"

using namespace kova;
using namespace kova::app;
using namespace kova::app::testing;
namespace fs = std::filesystem;

namespace {

constexpr const char* kStopQuestion = "Deseja realmente cancelar a impressão ?";
constexpr const char* kDone = "Impressão do relatório concluída com sucesso.";

// The report screen on a generated declaration, shown over the main window.
struct ReportDesk : DeliveryDesk {
    explicit ReportDesk(int levies = 2) {
        row.fileName = add(3, "EMPRESA DO RELATORIO", levies).string();
        row.cnpj = fixtures::nthCnpj(3);
    }
    DeclarationReportScreen& open(const DeliveryServices& s) {
        const print::ReportLabels labels{"12.345", "EMPRESA", "2023", "00 - Normal", "Original", "00/00/0000"};
        screen = std::make_unique<DeclarationReportScreen>(main, s, labels, row, &main);
        screen->show();
        screen->activateWindow();  // access keys act in the active window
        QTest::qWaitForWindowActive(screen.get());
        return *screen;
    }
    CatalogueRow row;
    std::unique_ptr<DeclarationReportScreen> screen;
};

bool enabled(const QWidget* w) { return w->isEnabled(); }

}  // namespace

class DeclarationReportScreenTest : public QObject {
    Q_OBJECT

private slots:
    void aRefusedDeliveryFileDoesNotOpenTheReport_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("told");
        QTest::newRow("vazio") << "vazio" << "";
        QTest::newRow("outro arquivo") << "outro" << "O campo Nome do Arquivo do primeiro registro é diferente de KOVALDF";
        QTest::newRow("excluído") << "excluído" << "O arquivo selecionado não existe.";
    }
    void aRefusedDeliveryFileDoesNotOpenTheReport() {
        QFETCH(QString, damage);
        QFETCH(QString, told);
        DeliveryDesk desk;
        const fs::path file = desk.add(1, "RECUSADA");
        desk.add(2, "OUTRA");
        CatalogueScreen* screen = desk.open<DeclarationSelectionScreen>();
        if (damage == QStringLiteral("vazio")) testing_support::writeBytes(file, "");
        if (damage == QStringLiteral("outro")) testing_support::writeBytes(file, "KOVALDX resto da linha\r\n");
        if (damage == QStringLiteral("excluído")) fs::remove(file);
        screen->BtnCmd(CatalogueButton::Ok)->click();  // a report screen opened here would wait for ever
        if (told.isEmpty()) {
            QVERIFY(!desk.prompts.saw("Valida arquivo"));
        } else {
            const Message* m = desk.prompts.find(told.toStdString());
            QVERIFY2(m, qPrintable(desk.prompts.transcript()));
            QCOMPARE(m->title, std::string("Valida arquivo"));
        }
        QVERIFY(desk.main.hasOpenScreen());
        QVERIFY(screen->BtnCmd(CatalogueButton::Ok)->isEnabled() && screen->BtnCmd(CatalogueButton::Cancel)->isEnabled());
    }

    void theChoicesDecideWhatCanBePrinted() {
        ReportDesk desk;
        DeclarationReportScreen& s = desk.open(desk.services());
        QCOMPARE(s.windowTitle(), QStringLiteral("Imprimir Declaração"));
        QCOMPARE(s.valueLabel("LblNomeEmpresarial")->text(), QStringLiteral("EMPRESA"));
        QVERIFY(!s.OptTipoImpressao(0)->isChecked() && !s.OptTipoImpressao(1)->isChecked());
        QVERIFY(!enabled(s.ChkTipoRegistro(0)) && !enabled(s.CmdImprimir()) && !enabled(s.CmdCancel()));
        QTest::keyClick(&s, Qt::Key_I, Qt::AltModifier);  // the access key of a button that is off does nothing
        QTest::qWait(300);  // an access key clicks after a short delay
        QVERIFY(desk.prompts.shown.empty());

        s.OptTipoImpressao(1)->click();
        QVERIFY(enabled(s.ChkTipoRegistro(2)) && !enabled(s.CmdImprimir()));
        s.ChkTipoRegistro(2)->click();
        QVERIFY(enabled(s.CmdImprimir()));
        s.ChkTipoRegistro(2)->click();
        QVERIFY(!enabled(s.CmdImprimir()));
        s.ChkTipoRegistro(0)->click();
        s.OptTipoImpressao(0)->click();
        QVERIFY(!s.ChkTipoRegistro(0)->isChecked() && !enabled(s.ChkTipoRegistro(0)) && enabled(s.CmdImprimir()));
    }

    void printsWhatWasChosen_data() {
        QTest::addColumn<bool>("whole");
        QTest::addColumn<QString>("question");
        QTest::addColumn<int>("pages");
        QTest::newRow("toda a declaração") << true << "Serão impressas 4 páginas.\nConfirma impressão ?" << 4;
        QTest::newRow("só o tipo 5") << false << "Serão impressas 2 páginas.\nConfirma impressão ?" << 2;
    }
    void printsWhatWasChosen() {
        QFETCH(bool, whole);
        QFETCH(QString, question);
        QFETCH(int, pages);
        ReportDesk desk;
        DeclarationReportScreen& s = desk.open(desk.services());
        if (whole) {
            s.OptTipoImpressao(0)->click();
        } else {
            s.OptTipoImpressao(1)->click();
            s.ChkTipoRegistro(2)->click();
        }
        QTest::keyClick(s.CmdImprimir(), Qt::Key_I, Qt::AltModifier);
        QTRY_VERIFY(!s.isVisible());
        QCOMPARE(QString::fromStdString(desk.prompts.shown.at(0).text), question);
        QCOMPARE(int(desk.pages.size()), pages);
        const QString text = desk.printedLines().join('\n');
        QCOMPARE(text.contains(QStringLiteral("DADOS DAS ENTIDADES BENEFICENTES")), whole);
        QVERIFY(text.contains(QStringLiteral("DADOS DA KOVA NÃO RETIDA E NÃO RECOLHIDA")));
        QVERIFY(!text.contains(QStringLiteral("IMPRESSÃO INTERROMPIDA")));
        QVERIFY(desk.prompts.saw(kDone));
        QVERIFY(!s.isVisible());
        QCOMPARE(s.result(), int(QDialog::Accepted));
    }

    // A long report stopped from the stop button or from the close box: the question, then the report ends at
    // once with "IMPRESSÃO INTERROMPIDA" and goes to the printer; the screen closes after it.
    void stoppingALongReport_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("botão Cancelar") << false;
        QTest::newRow("caixa de fechar") << true;
    }
    void stoppingALongReport() {
        QFETCH(bool, closeBox);
        ReportDesk desk(60000);
        int pagesSent = 0;
        QStringList lastPage;
        DeliveryServices services = desk.services();
        services.makePrinter = [&](const QString&, QWidget*) -> std::unique_ptr<print::Printer> {
            return std::make_unique<print::PageRecorder>([&](const print::RecordedPage& page, int) {
                ++pagesSent;
                lastPage.clear();
                for (const auto& line : page.lines) lastPage << QString::fromStdString(line.text());
            });
        };
        DeclarationReportScreen& s = desk.open(services);
        s.OptTipoImpressao(0)->click();
        desk.prompts.answer(kStopQuestion, Answer::Yes);
        bool stayedWhilePrinting = false;
        whenTrue([&] { return s.PgBar()->value() >= 10; }, [&] {
            QVERIFY(enabled(s.CmdCancel()) && !enabled(s.CmdImprimir()) && !enabled(s.CmdCancelar()));
            closeBox ? (void)s.close() : s.CmdCancel()->click();
            stayedWhilePrinting = s.isVisible() && s.printing();
        });
        s.CmdImprimir()->click();
        QCOMPARE(desk.prompts.count(kStopQuestion), 1);
        QCOMPARE(desk.prompts.find(kStopQuestion)->title, std::string("Cancelar"));
        QVERIFY(stayedWhilePrinting);
        QVERIFY(pagesSent > 2 && pagesSent < 1000);  // 1 + 1 + 1 + 1072 estimated
        QCOMPARE(lastPage.filter(QStringLiteral("IMPRESSÃO INTERROMPIDA")).size(), 1);
        QVERIFY(desk.prompts.saw(kDone));
        QVERIFY(!s.isVisible());
    }
};

QTEST_MAIN(DeclarationReportScreenTest)
#include "declaration_report_screen_test.moc"
