// The whole job through the screens, as a person does it, with the stand-in Quiboro: import the correct sample
// (generated, not sent at once), transmit it from the transmission screen, print its receipt and the declaration
// to PDF files from their screens.
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>

#include "app/catalogue_screen.h"
#include "app/declaration_report_screen.h"
#include "app/import_screen.h"
#include "app/source_frame.h"
#include "support/app_test_support.h"

using namespace kova;
using namespace kova::app;
using namespace kova::app::testing;

namespace {

// The number of pages pdfinfo finds in the file; -1 when it cannot tell.
int pdfPages(const QString& file) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {file});
    if (!info.waitForFinished(20000) || info.exitCode() != 0) return -1;
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info.readAllStandardOutput());
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The screen the command opened, its catalogue loaded.
CatalogueScreen* opened(MainWindow& main, const char* command) {
    main.command(QString::fromLatin1(command))->trigger();
    QWidget* shown = main.mdiArea()->subWindowList().value(0)->widget();
    QPointer<CatalogueScreen> screen = qobject_cast<CatalogueScreen*>(shown);
    waitForCatalogue(screen);
    return screen;  // null when it closed at once
}

void clickOk(CatalogueScreen* screen) { QTest::mouseClick(screen->BtnCmd(CatalogueButton::Ok), Qt::LeftButton); }

}  // namespace

class WholeJobTest : public QObject {
    Q_OBJECT

private slots:
    void importTransmitAndPrintReceiptAndDeclaration() {
        InstalledQuiboro quiboro;
        StartedProgram p;
        p.clock.set(DateTime{2026, 2, 10, 9, 0, 0});  // the sample declares 2025
        QVERIFY(p.start());
        MainWindow& main = *p.mainWindow();

        ImportScreen* import = p.importScreen();
        QLineEdit* fileBox = import->source()->TxtArq();
        fileBox->setFocus();
        QTest::keyClicks(fileBox, QStringLiteral(KOVA_SAMPLES_DIR "/declaracao-correta.txt"));
        QString question;
        whenModalShows(QStringLiteral("KOVALDME3"), [&](QWidget* dialog) {
            question = dialog->findChild<QLabel*>("Label1")->text();
            clickButton(dialog, QStringLiteral("BtnCmd1"));
        });
        QTest::mouseClick(import->BtnCmd(ImportButton::Ok), Qt::LeftButton);
        QVERIFY(p.prompts.shown.empty());
        QVERIFY(question.startsWith("Arquivo importado com sucesso.\n\nA declaração foi gravada na seguinte pasta:"));
        QVERIFY(question.endsWith("\n\nDeseja transmitir o arquivo neste momento ?"));
        QVERIFY(fileBox->text().isEmpty() && !import->BtnCmd(ImportButton::Ok)->isEnabled());
        QTest::mouseClick(import->BtnCmd(ImportButton::Close), Qt::LeftButton);
        QTRY_VERIFY(!main.hasOpenScreen() && allOn(main));

        CatalogueScreen* transmission = opened(main, "MnuTransmitir");
        QCOMPARE(transmission->grid()->model()->rowCount(), 1);
        clickOk(transmission);
        QVERIFY(p.prompts.saw("Declaração recebida pela QOT em "));
        QVERIFY(p.prompts.saw("Não existem declarações a serem transmitidas"));
        QTest::mouseClick(transmission->BtnCmd(CatalogueButton::Cancel), Qt::LeftButton);
        QTRY_VERIFY(!main.hasOpenScreen());

        const QString receipt = p.folder.path() + QStringLiteral("recibo.pdf");
        p.program->context().printer.choosePdfFile(receipt);
        CatalogueScreen* receiptScreen = opened(main, "MnuImpRec");
        QCOMPARE(receiptScreen->grid()->model()->index(0, 5).data().toString(), QStringLiteral("S"));
        clickOk(receiptScreen);
        QVERIFY(p.prompts.saw("O recibo da declaração foi enviado para a impressora."));
        QCOMPARE(pdfPages(receipt), 1);
        QTest::mouseClick(receiptScreen->BtnCmd(CatalogueButton::Cancel), Qt::LeftButton);
        QTRY_VERIFY(!main.hasOpenScreen());

        const QString declaration = p.folder.path() + QStringLiteral("declaracao.pdf");
        p.program->context().printer.choosePdfFile(declaration);
        CatalogueScreen* selection = opened(main, "mnuimpdecla");
        whenModalShows(QStringLiteral("KOVALDIDE"), [](QWidget* d) {
            auto* report = static_cast<DeclarationReportScreen*>(d);
            QTest::mouseClick(report->OptTipoImpressao(0), Qt::LeftButton);
            QTest::mouseClick(report->CmdImprimir(), Qt::LeftButton);
        });
        clickOk(selection);
        QVERIFY(p.prompts.saw("Serão impressas 4 páginas."));
        QVERIFY(p.prompts.saw("Impressão do relatório concluída com sucesso."));
        // The identification page and one page for each of the three detail types of the sample.
        QCOMPARE(pdfPages(declaration), 4);
        QVERIFY(main.hasOpenScreen());
    }
};

QTEST_MAIN(WholeJobTest)
#include "whole_job_test.moc"
