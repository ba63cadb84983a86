// The import screen as the person uses it: choosing files, importing with errors, printing them, cancelling or
// closing in the middle of a long import or print. A clean import is the whole job's.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "app/error_list_panel.h"
#include "app/error_record_dialog.h"
#include "app/import_screen.h"
#include "app/pending_list_model.h"
#include "app/source_frame.h"
#include "support/app_test_support.h"

using namespace kova;
using namespace kova::app;
using namespace kova::app::testing;
using namespace kova::fixtures;

namespace {

const QString kDeclarationFolder = QString::fromStdString(declarantCnpj()) + QStringLiteral("-KOVALDF-2023-ORIGI-00");

bool enabled(ImportScreen& screen, ImportButton b) { return screen.BtnCmd(b)->isEnabled(); }

// A declaration of `count` type-5 records, each with a filler that is not blank; with `lowerCaseName`, the
// header's name has a lower-case letter too.
std::string declarationWithErrors(std::size_t count, bool lowerCaseName = false) {
    DeclarationBuilder d;
    d.type5(count);
    if (lowerCaseName) d.header().name("Empresa declarante");
    for (std::size_t k = 0; k < count; ++k) d.replaceRecord(3 + k, LevyBuilder(3 + k, k).filler("X").build());
    return d.str();
}

void press(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QApplication::setActiveWindow(widget->window());
    QVERIFY(QTest::qWaitForWindowActive(widget->window()));
    widget->setFocus();
    QTest::keyClick(widget, key, modifiers);
}

// The program started and its import screen pointed at a file chosen in the file list.
struct Screen {
    StartedProgram p;
    ImportScreen* screen = nullptr;

    Screen() { screen = p.start() ? p.importScreen() : nullptr; }
    void choose(const QString& name, const std::string& bytes) {
        const QString file = p.folder.writeInput(name, bytes);
        screen->onFileClicked(QFileInfo(file).absolutePath(), name);
    }
    void import(const QString& name, const std::string& bytes) {
        choose(name, bytes);
        screen->BtnCmd(ImportButton::Ok)->click();
    }
    void usePdfFile(const QString& name) { p.program->context().printer.choosePdfFile(inProgramFolder(name)); }
    QString inProgramFolder(const QString& name) const { return p.folder.path() + name; }
    QString declarationFolder() const { return p.folder.path() + QStringLiteral("GERADA/") + kDeclarationFolder; }
};

}  // namespace

class ImportScreenTest : public QObject {
    Q_OBJECT

private slots:
    void choosingAFileShowsItsDeclarantAndSwitchesOk() {
        Screen s;
        QVERIFY(!enabled(*s.screen, ImportButton::Ok) && !enabled(*s.screen, ImportButton::PrintPending));
        QVERIFY(enabled(*s.screen, ImportButton::Close) && enabled(*s.screen, ImportButton::Help));
        QVERIFY(!s.screen->errorPanel()->summaryBox()->isEnabled());
        // The error list's lines all have one height, so that a hundred thousand of them lay out at once.
        QVERIFY(s.screen->LstPend()->uniformItemSizes());
        // The access key of a button that is off is not typed into the name; a plain letter is.
        press(s.screen->source()->TxtArq(), Qt::Key_O, Qt::AltModifier);
        press(s.screen->source()->TxtArq(), Qt::Key_O);
        QCOMPARE(s.screen->source()->TxtArq()->text(), QStringLiteral("o"));

        // The folder is chosen in the tree, the file in the list.
        const QString file = s.p.folder.writeInput("declaracao.txt", cleanDeclaration(1, 0, 1));
        QTreeView* tree = s.screen->source()->Dir1();
        const QModelIndex folder = static_cast<QFileSystemModel*>(tree->model())->index(QFileInfo(file).absolutePath());
        QVERIFY(folder.isValid());
        tree->setCurrentIndex(folder);
        QListView* files = s.screen->source()->File1();
        QTRY_COMPARE(files->model()->rowCount(files->rootIndex()), 1);
        files->setCurrentIndex(files->model()->index(0, 0, files->rootIndex()));
        QCOMPARE(s.screen->source()->TxtArq()->text(), file);
        QCOMPARE(s.screen->declarantLabel("LblCNPJ")->text(), QStringLiteral("98.765.432/0001-98"));
        QCOMPARE(s.screen->declarantLabel("LblPF")->text(), QStringLiteral("31/12/2023"));
        QVERIFY(enabled(*s.screen, ImportButton::Ok));

        // An unreadable drive or folder is told and changes nothing.
        s.screen->onDriveChosen(QStringLiteral("/unidade-inexistente"));
        QVERIFY(s.p.prompts.saw("Erro na leitura do disco selecionado. Verifique a unidade de disco."));
        s.screen->onFolderChosen(QStringLiteral("/pasta-inexistente"));
        QVERIFY(s.p.prompts.saw("Erro na leitura do disco. Verifique a unidade de disco."));
        QCOMPARE(s.screen->source()->TxtArq()->text(), file);

        // Another folder empties the name box and the labels.
        s.screen->onFolderChosen(s.p.folder.path());
        QVERIFY(s.screen->source()->TxtArq()->text().isEmpty());
        QVERIFY(s.screen->declarantLabel("LblCNPJ")->text().isEmpty());
        QVERIFY(!enabled(*s.screen, ImportButton::Ok));
    }

    // Enter imports. The summary narrows the list, a line opens its record, the export writes every row; another
    // file clears it all.
    void errorsAreCountedSummarisedShownInTheirRecordAndExported() {
        Screen s;
        s.choose("erros.txt", declarationWithErrors(1, true));
        press(s.screen->source()->TxtArq(), Qt::Key_Return);
        QCOMPARE(s.screen->LblQtErros()->text(), QStringLiteral("2"));
        s.screen->pendingModel()->flush();
        QCOMPARE(s.screen->pendingModel()->line(6),
                 QStringLiteral("Foram encontrados 2 erros. Foi impossível gerar a declaração."));
        QVERIFY(enabled(*s.screen, ImportButton::PrintPending) && !enabled(*s.screen, ImportButton::Ok));
        QVERIFY(s.p.prompts.shown.empty());

        ErrorListPanel* panel = s.screen->errorPanel();
        QComboBox* box = panel->summaryBox();
        QStringList items;
        for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
        QCOMPARE(items, (QStringList{"Todos os erros — 2", " 9 - Campo reservado deve estar em branco — 1 registro",
                                     "97 - Nome empresarial com letra minúscula — 1 registro",
                                     "Tipo 1 - cabeçalho — 1 registro", "Tipo 5 - KOVA não retida — 1 registro"}));
        panel->chooseSummary(4);
        QCOMPARE(s.screen->LstPend()->model()->rowCount(), 1);
        panel->showRecordAt(0);
        ErrorRecordDialog* view = panel->recordView();
        QVERIFY(view && view->isVisible());
        QVERIFY(view->heading()->text().startsWith(QStringLiteral("Registro 3 - Tipo 5 - KOVA não retida - colunas")));
        QVERIFY(view->hint()->text().startsWith(QStringLiteral("Como corrigir: As posições reservadas")));

        QVERIFY(panel->exportTo(s.inProgramFolder("erros.csv")));
        QFile csv(s.inProgramFolder("erros.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll().count('\n'), 3);
        QVERIFY(s.p.prompts.find("2 erros gravados no arquivo"));
        QVERIFY(!panel->exportTo(s.inProgramFolder("sem-pasta/erros.csv")));
        QVERIFY(s.p.prompts.find("Não foi possível gravar o arquivo"));

        s.screen->onFolderChosen(s.p.folder.path());
        QCOMPARE(s.screen->LstPend()->model()->rowCount(), 0);
        QVERIFY(!enabled(*s.screen, ImportButton::PrintPending) && !box->isEnabled());
    }

    void theErrorReportGoesToThePrinterChosenForTheSessionOnceAtATime() {
        Screen s;
        s.usePdfFile("relatorio-erros.pdf");
        s.import("erros.txt", declarationWithErrors(2));
        // At the end of the print, still inside it: nothing can start another job, and a second request is ignored.
        bool checkedDuringPrint = false;
        s.p.prompts.onShow = [&](const Message& m) {
            if (m.text.find("concluída") == std::string::npos || checkedDuringPrint) return;
            checkedDuringPrint = true;
            QCOMPARE(s.screen->PgBar()->value(), 100);
            QVERIFY(!enabled(*s.screen, ImportButton::Ok) && !enabled(*s.screen, ImportButton::PrintPending));
            QVERIFY(!s.screen->source()->TxtArq()->isEnabled());
            s.screen->onPrintPending();
        };
        s.screen->BtnCmd(ImportButton::PrintPending)->click();
        QVERIFY(checkedDuringPrint);
        QCOMPARE(s.p.prompts.shown.size(), std::size_t(1));
        QVERIFY(s.p.prompts.saw("Impressão do Relatório de Erros concluída."));
        QVERIFY(enabled(*s.screen, ImportButton::PrintPending) && s.screen->source()->TxtArq()->isEnabled());
        QFile file(s.inProgramFolder("relatorio-erros.pdf"));
        QVERIFY(file.open(QIODevice::ReadOnly) && file.read(5) == "%PDF-");
    }

    void cancellingALargeImportStopsItAndSaysSo() {
        Screen s;
        s.p.prompts.answer("Confirma o cancelamento da importação ?", Answer::Yes);
        // Pressed once the pass is under way: the pass serves the click between records.
        whenTrue([&] { return s.screen->PgBar()->value() > 5 && enabled(*s.screen, ImportButton::Cancel); },
                 [&] { s.screen->BtnCmd(ImportButton::Cancel)->click(); });
        s.import("grande.txt", cleanDeclaration(0, 0, 100000));
        QVERIFY(s.p.prompts.saw("Importação Cancelada."));
        QVERIFY(!enabled(*s.screen, ImportButton::PrintPending) && !enabled(*s.screen, ImportButton::Ok));
        QVERIFY(enabled(*s.screen, ImportButton::Close) && s.screen->source()->File1()->isEnabled());
        QVERIFY(!QDir(s.declarationFolder()).exists());
        QVERIFY(!s.p.program->context().declarationGenerated);
    }

    // The close box pressed while the pending errors print: the print stops, nothing is written, and the screen
    // goes once the print has returned.
    void closingTheScreenDuringThePendingPrintStopsItThenCloses() {
        Screen s;
        s.usePdfFile("pendencias.pdf");
        s.import("muitos.txt", declarationWithErrors(3000));
        QCOMPARE(s.screen->LblQtErros()->text(), QStringLiteral("3.000"));
        QPointer<ImportScreen> screen = s.screen;
        bool closedWhilePrinting = false;
        whenTrue([screen] { return screen && screen->printingPending(); }, [&, screen] {
            releaseScreen(screen);
            closedWhilePrinting = screen && screen->printingPending();
        }, 0);
        s.screen->BtnCmd(ImportButton::PrintPending)->click();
        QVERIFY(closedWhilePrinting);
        QTRY_VERIFY(screen.isNull());
        QVERIFY(!QFile::exists(s.inProgramFolder("pendencias.pdf")));
        QVERIFY(!s.p.prompts.saw("Impressão do Relatório de Erros concluída."));
        QVERIFY(!s.p.program->context().importScreenOpen);
    }

    void closingTheScreenDuringAnImportStopsItThenCloses() {
        Screen s;
        QPointer<ImportScreen> screen = s.screen;
        whenTrue([screen] { return screen && screen->importRunning() && screen->PgBar()->value() > 5; },
                 [screen] { releaseScreen(screen); });
        s.import("grande.txt", cleanDeclaration(0, 0, 60000));
        QTRY_VERIFY(screen.isNull());
        QVERIFY(!QDir(s.declarationFolder()).exists());
        QVERIFY(!s.p.program->context().importScreenOpen);
        QVERIFY(allOn(*s.p.mainWindow()));
    }

    void theListTakesAHundredThousandLines() {
        Screen s;
        for (int i = 0; i < 120000; ++i) s.screen->pendingLine("linha " + std::to_string(i));
        QTRY_COMPARE(s.screen->LstPend()->model()->rowCount(), 120000);
        s.screen->LstPend()->scrollToBottom();
        QCOMPARE(s.screen->pendingModel()->line(119999), QStringLiteral("linha 119999"));
    }
};

QTEST_MAIN(ImportScreenTest)
#include "import_screen_test.moc"
