// Printing a declaration: the report screen's choices, its print and its stop while a long report prints (from
// the stop button and from the close box).
#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/declaration_report_screen.h"
#include "support/app_test_support.h"

using namespace kova;
using namespace kova::app;
using namespace kova::app::testing;

namespace {

constexpr const char* kStopQuestion = "Deseja realmente cancelar a impressão ?";
constexpr const char* kDone = "Impressão do relatório concluída com sucesso.";

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

class DeclarationReportScreenTest : public QObject {
    Q_OBJECT

private slots:
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

    // The whole declaration is printed in the whole job; here only the type 5 records.
    void printsWhatWasChosen() {
        ReportDesk desk;
        DeclarationReportScreen& s = *desk.screen;
        s.OptTipoImpressao(1)->click();
        s.ChkTipoRegistro(2)->click();
        QTest::keyClick(s.CmdImprimir(), Qt::Key_I, Qt::AltModifier);
        QTRY_VERIFY(!s.isVisible());
        QCOMPARE(desk.prompts.shown.at(0).text, std::string("Serão impressas 2 páginas.\nConfirma impressão ?"));
        QCOMPARE(desk.pages.size(), std::size_t(2));
        QVERIFY(!desk.printedLines().join('\n').contains(QStringLiteral("DADOS DAS ENTIDADES BENEFICENTES")));
        QVERIFY(desk.prompts.saw(kDone));
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
        DeclarationReportScreen& s = *desk.screen;
        s.OptTipoImpressao(0)->click();
        desk.prompts.answer(kStopQuestion, Answer::Yes);
        bool stayedWhilePrinting = false;
        whenTrue([&] { return s.PgBar()->value() >= 10; }, [&] {
            QVERIFY(s.CmdCancel()->isEnabled() && !s.CmdImprimir()->isEnabled() && !s.CmdCancelar()->isEnabled());
            closeBox ? (void)s.close() : s.CmdCancel()->click();
            stayedWhilePrinting = s.isVisible() && s.printing();
        });
        s.CmdImprimir()->click();
        QCOMPARE(desk.prompts.count(kStopQuestion), 1);
        QVERIFY(stayedWhilePrinting);
        QVERIFY(desk.pages.size() > 2 && desk.pages.size() < 1000);  // 1 + 1 + 1 + 1072 estimated
        QCOMPARE(desk.printedLines().filter(QStringLiteral("IMPRESSÃO INTERROMPIDA")).size(), 1);
        QVERIFY(desk.prompts.saw(kDone));
        QVERIFY(!s.isVisible());
    }
};

QTEST_MAIN(DeclarationReportScreenTest)
#include "declaration_report_screen_test.moc"
