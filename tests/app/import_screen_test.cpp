// The import screen as the person uses it: choosing files, importing with and without errors, the questions
// after a clean import, cancelling a long import.
#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTreeView>

#include "app/error_list_panel.h"
#include "app/help_window.h"
#include "app/import_screen.h"
#include "app/main_window.h"
#include "app/pending_list_model.h"
#include "app/error_record_dialog.h"
#include "app/source_frame.h"
#include "app/startup.h"
#include "support/app_test_support.h"
#include "support/declaration_builder.h"

using namespace kova;
using namespace kova::app;
using namespace kova::app::testing;
using namespace kova::fixtures;

namespace {

const QString kDeclarationFolder = QString::fromStdString(declarantCnpj()) + QStringLiteral("-KOVALDF-2023-ORIGI-00");

QStringList pendingLines(ImportScreen& screen) {
    screen.pendingModel()->flush();
    QStringList lines;
    for (qsizetype i = 0; i < screen.pendingModel()->lineCount(); ++i) lines << screen.pendingModel()->line(i);
    return lines;
}

bool enabled(ImportScreen& screen, ImportButton b) { return screen.BtnCmd(b)->isEnabled(); }

// A declaration whose header name has a lower-case letter and whose second type-5 record has a filler that is
// not blank: two field errors.
std::string declarationWithTwoErrors() {
    DeclarationBuilder d;
    d.type3(1).type5(3);
    d.header().name("Empresa declarante");
    d.replaceRecord(5, LevyBuilder(5, 1).filler("X").build());
    return d.str();
}

// A declaration of `count` type-5 records, each with a filler that is not blank.
std::string declarationWithFillerErrors(std::size_t count) {
    DeclarationBuilder d;
    d.type5(count);
    for (std::size_t k = 0; k < count; ++k) d.replaceRecord(3 + k, LevyBuilder(3 + k, k).filler("X").build());
    return d.str();
}

// The program started and its import screen pointed at a file chosen in the file list.
struct Screen {
    StartedProgram p;
    ImportScreen* screen = nullptr;

    Screen() {
        if (!p.start()) return;
        screen = p.importScreen();
    }
    void choose(const QString& name, const std::string& bytes) {
        const QString file = p.folder.writeInput(name, bytes);
        screen->onFileClicked(QFileInfo(file).absolutePath(), name);
    }
    QString declarationFolder() const { return p.folder.path() + QStringLiteral("GERADA/") + kDeclarationFolder; }
    QString deliveryFile() const { return declarationFolder() + QLatin1Char('/') + kDeclarationFolder + ".DEC"; }
};

}  // namespace

class ImportScreenTest : public QObject {
    Q_OBJECT

private slots:
    void opensOnTheRootWithNothingChosen() {
        Screen s;
        QVERIFY(s.screen);
        QCOMPARE(s.screen->windowTitle(), QStringLiteral("Importar Declaração"));
        QCOMPARE(s.screen->source()->drive(), QStringLiteral("/"));
        QCOMPARE(s.screen->source()->folder(), QStringLiteral("/"));
        QVERIFY(s.screen->source()->TxtArq()->text().isEmpty());
        QVERIFY(!s.screen->Label4()->isVisible());
        QCOMPARE(s.screen->PgBar()->value(), 0);
        for (ImportPhase phase : {ImportPhase::OpenFile, ImportPhase::Generation, ImportPhase::Transmission,
                                  ImportPhase::Critique})
            QVERIFY(!s.screen->phaseFrame(phase)->isVisible());
        QVERIFY(!enabled(*s.screen, ImportButton::Ok) && !enabled(*s.screen, ImportButton::PrintPending));
        QVERIFY(enabled(*s.screen, ImportButton::Close) && enabled(*s.screen, ImportButton::Help));
        // The error list's lines all have one height, so that a hundred thousand of them lay out at once.
        QCOMPARE(s.screen->LstPend()->font().pointSize(), 8);
        QVERIFY(s.screen->LstPend()->uniformItemSizes());
    }

    void choosingAFileInTheListsShowsItsDeclarant() {
        Screen s;
        const QString file = s.p.folder.writeInput("declaracao.txt", cleanDeclaration(1, 0, 1));
        const QString folder = QFileInfo(file).absolutePath();
        s.screen->onFolderChosen(folder);
        QListView* files = s.screen->source()->File1();
        QTRY_COMPARE(files->model()->rowCount(files->rootIndex()), 1);
        files->setCurrentIndex(files->model()->index(0, 0, files->rootIndex()));
        QCOMPARE(s.screen->source()->TxtArq()->text(), file);
        QCOMPARE(s.screen->declarantLabel("LblRazaoSocial")->text().trimmed(),
                 QStringLiteral("EMPRESA DECLARANTE EXEMPLO 1 LTDA"));
        QCOMPARE(s.screen->declarantLabel("LblCNPJ")->text(), punctuatedCnpj(declarantCnpj()));
        QCOMPARE(s.screen->declarantLabel("LblPI")->text(), QStringLiteral("01/01/2023"));
        QCOMPARE(s.screen->declarantLabel("LblPF")->text(), QStringLiteral("31/12/2023"));
        QCOMPARE(s.screen->declarantLabel("LblRetificadora")->text(), QStringLiteral("N"));
        QCOMPARE(s.screen->declarantLabel("LblDataEvento")->text(), QStringLiteral("00/00/0000"));
        QVERIFY(enabled(*s.screen, ImportButton::Ok));
        // Another folder empties the name box and the labels.
        s.screen->onFolderChosen(s.p.folder.path());
        QVERIFY(s.screen->source()->TxtArq()->text().isEmpty());
        QVERIFY(s.screen->declarantLabel("LblRazaoSocial")->text().isEmpty());
        QVERIFY(!enabled(*s.screen, ImportButton::Ok));
    }

    void anUnreadableDriveOrFolderIsReported() {
        Screen s;
        const QString file = s.p.folder.writeInput("d.txt", cleanDeclaration(1, 0, 0));
        s.screen->onFileClicked(QFileInfo(file).absolutePath(), "d.txt");
        s.screen->onDriveChosen(QStringLiteral("/unidade-inexistente"));
        const Message* drive = s.p.prompts.find("Erro na leitura do disco selecionado.");
        QVERIFY(drive);
        QCOMPARE(drive->text, std::string("Erro na leitura do disco selecionado. Verifique a unidade de disco."));
        QCOMPARE(drive->title, std::string("Importar Arquivo"));
        QCOMPARE(drive->icon, Icon::Exclamation);
        QCOMPARE(s.screen->source()->drive(), driveOf(s.p.folder.path()));
        s.screen->onFolderChosen(QStringLiteral("/pasta-inexistente"));
        QVERIFY(s.p.prompts.saw("Erro na leitura do disco. Verifique a unidade de disco."));
        QCOMPARE(s.screen->source()->TxtArq()->text(), file);  // nothing else changed
    }

    void typingAPathInTheNameBoxChoosesTheFile() {
        Screen s;
        const QString file = s.p.folder.writeInput("d.txt", cleanDeclaration(1, 0, 0));
        QTest::keyClicks(s.screen->source()->TxtArq(), file);
        QVERIFY(enabled(*s.screen, ImportButton::Ok));
        QCOMPARE(s.screen->declarantLabel("LblAnoDeclaracao")->text(), QStringLiteral("2023"));
    }

    void aFileThatCannotBeReadIsTheOnlyLineOfTheList_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("line");
        DeclarationBuilder shortHeader;
        shortHeader.type3(1).replaceRecord(1, HeaderBuilder().resize(141).build());
        QTest::newRow("empty") << QByteArray() << "O arquivo selecionado para importação está vazio.";
        QTest::newRow("first record short") << QByteArray::fromStdString(shortHeader.str())
                                            << "O tamanho do primeiro registro está incorreto.";
    }
    void aFileThatCannotBeReadIsTheOnlyLineOfTheList() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, line);
        Screen s;
        s.choose("ilegivel.txt", bytes.toStdString());
        QCOMPARE(pendingLines(*s.screen), QStringList{line});
        QCOMPARE(s.screen->LblQtErros()->text(), QStringLiteral("0"));
        QVERIFY(!enabled(*s.screen, ImportButton::Ok));
        QVERIFY(s.screen->declarantLabel("LblCNPJ")->text().isEmpty());
    }

    void importWithErrorsListsThemAndOffersTheirPrinting() {
        Screen s;
        s.choose("erros.txt", declarationWithTwoErrors());
        QVERIFY(enabled(*s.screen, ImportButton::Ok));
        s.screen->BtnCmd(ImportButton::Ok)->click();

        const QStringList lines = pendingLines(*s.screen);
        QCOMPARE(lines.size(), 2 + 2 + 1 + 1 + 1 + 1);
        QVERIFY(lines[0].startsWith(QStringLiteral("MENSAGEM DE ERRO")));
        QCOMPARE(lines[1], QStringLiteral(" "));
        QCOMPARE(lines[2].mid(55, 1), QStringLiteral("1"));   // the header's error
        QCOMPARE(lines[3].mid(55, 1), QStringLiteral("5"));   // the type 5 record's error
        QCOMPARE(lines[3].mid(60, 5), QStringLiteral("00005"));
        QCOMPARE(lines[4], QString(90, QLatin1Char('_')));
        QCOMPARE(lines[6], QStringLiteral("Foram encontrados 2 erros. Foi impossível gerar a declaração."));
        QCOMPARE(lines[7], QString(90, QLatin1Char('=')));
        QCOMPARE(s.screen->LblQtErros()->text(), QStringLiteral("2"));
        QVERIFY(enabled(*s.screen, ImportButton::PrintPending) && !enabled(*s.screen, ImportButton::Ok));
        QVERIFY(enabled(*s.screen, ImportButton::Close) && enabled(*s.screen, ImportButton::Help));
        QVERIFY(s.screen->source()->Dir1()->isEnabled());
        QVERIFY(s.screen->phaseFrame(ImportPhase::Critique)->isVisible());
        QCOMPARE(s.screen->phaseLabel(ImportPhase::OpenFile, 0)->text(), QStringLiteral("HI: 10:20:30"));
        QCOMPARE(s.screen->phaseLabel(ImportPhase::OpenFile, 2)->text(), QStringLiteral("Tempo: 00:00:00"));
        QVERIFY(!s.screen->phaseFrame(ImportPhase::Generation)->isVisible());
        QVERIFY(s.p.prompts.shown.empty());
        QVERIFY(!QFile::exists(s.deliveryFile()));
        QVERIFY2(!QDir(s.declarationFolder()).exists(), "an empty declaration folder is removed");
        // Choosing another file clears the list and the print button.
        s.screen->onFolderChosen(s.p.folder.path());
        QVERIFY(pendingLines(*s.screen).isEmpty());
        QVERIFY(!enabled(*s.screen, ImportButton::PrintPending));
    }

    // The summary narrows the list, a line opens its record from the file, the export writes every row.
    void errorsAreSummarisedFilteredShownInTheirRecordAndExported() {
        Screen s;
        s.choose("erros.txt", declarationWithTwoErrors());
        s.screen->BtnCmd(ImportButton::Ok)->click();
        ErrorListPanel* panel = s.screen->errorPanel();
        QComboBox* box = panel->summaryBox();
        const QStringList expected = {
            QStringLiteral("Todos os erros — 2"),
            QStringLiteral(" 9 - Campo reservado deve estar em branco — 1 registro"),
            QStringLiteral("97 - Nome empresarial com letra minúscula — 1 registro"),
            QStringLiteral("Tipo 1 - cabeçalho — 1 registro"),
            QStringLiteral("Tipo 5 - KOVA não retida — 1 registro"),
        };
        QStringList items;
        for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
        QCOMPARE(items, expected);
        box->showPopup();
        box->hidePopup();

        panel->chooseSummary(4);
        QListView* list = s.screen->LstPend();
        QCOMPARE(list->model()->rowCount(), 1);
        QCOMPARE(box->currentIndex(), 4);
        QCOMPARE(list->model()->index(0, 0).data().toString().mid(60, 5), QStringLiteral("00005"));
        panel->showRecordAt(0);
        ErrorRecordDialog* view = panel->recordView();
        QVERIFY(view && view->isVisible());
        QVERIFY(view->heading()->text().startsWith(QStringLiteral("Registro 5 - Tipo 5 - KOVA não retida - colunas")));
        QVERIFY(view->errorText()->text().startsWith(QStringLiteral("Erro 9: Campo reservado")));
        QVERIFY(view->hint()->text().startsWith(QStringLiteral("Como corrigir: As posições reservadas")));
        QVERIFY(view->record()->toHtml().contains(QStringLiteral("font-weight:700")) ||
                view->record()->toHtml().contains(QStringLiteral("font-weight:600")));

        panel->chooseSummary(0);
        QCOMPARE(list->model()->rowCount(), 8);
        list->setCurrentIndex(list->model()->index(2, 0));
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(view->heading()->text().startsWith(QStringLiteral("Registro 1 - Tipo 1 - cabeçalho - colunas 0057 a 0116 (Nome do declarante)")));
        list->setCurrentIndex(list->model()->index(0, 0));  // the heading line has no record
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(view->heading()->text().startsWith(QStringLiteral("Registro 1 ")));

        // F1: each part opens its own topic.
        const std::pair<QWidget*, const char*> helpTopics[] = {
            {view, "topico-41.html"}, {box, "topico-42.html"}, {panel->exportButton(), "topico-43.html"}};
        for (const auto& [widget, page] : helpTopics) {
            QApplication::setActiveWindow(widget->window());
            QVERIFY(QTest::qWaitForWindowActive(widget->window()));
            widget->setFocus();
            QTest::keyClick(widget, Qt::Key_F1);
            HelpWindow* help = s.p.program->help().window();
            QVERIFY2(help && help->currentPage().endsWith(QLatin1String(page)),
                     qPrintable(page + QStringLiteral(" ") + (help ? help->currentPage() : QString())));
            help->close();
            view->hide();
        }

        const QString csv = s.p.folder.path() + QStringLiteral("erros.csv");
        QVERIFY(panel->exportTo(csv));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count('\n'), 3);
        QVERIFY(s.p.prompts.find("2 erros gravados no arquivo"));
        QVERIFY(!panel->exportTo(s.p.folder.path() + QStringLiteral("sem-pasta/erros.csv")));
        QVERIFY(s.p.prompts.find("Não foi possível gravar o arquivo"));
        s.screen->onFolderChosen(s.p.folder.path());
        QVERIFY(!box->isEnabled());
    }

    void theErrorReportGoesToThePrinterChosenForTheSessionOnceAtATime() {
        Screen s;
        const QString pdf = s.p.folder.path() + QStringLiteral("relatorio-erros.pdf");
        s.p.program->context().printer.choosePdfFile(pdf);
        s.choose("erros.txt", declarationWithTwoErrors());
        s.screen->BtnCmd(ImportButton::Ok)->click();
        QVERIFY(enabled(*s.screen, ImportButton::PrintPending));
        // At the end of the print, still inside it: every line counted, nothing can start another job, and a
        // second request is ignored.
        bool checkedDuringPrint = false;
        s.p.prompts.onShow = [&](const Message& m) {
            if (m.text.find("concluída") == std::string::npos || checkedDuringPrint) return;
            checkedDuringPrint = true;
            QVERIFY(s.screen->printingPending());
            QCOMPARE(s.screen->PgBar()->value(), 100);
            for (ImportButton b : {ImportButton::Ok, ImportButton::PrintPending}) QVERIFY(!enabled(*s.screen, b));
            QVERIFY(!s.screen->source()->TxtArq()->isEnabled());
            s.screen->onPrintPending();
        };
        const std::size_t shownBefore = s.p.prompts.shown.size();
        s.screen->BtnCmd(ImportButton::PrintPending)->click();
        QVERIFY(checkedDuringPrint);
        // The end of the print and nothing else: the second request asked nothing and printed nothing.
        QCOMPARE(s.p.prompts.shown.size(), shownBefore + 1);
        QVERIFY(s.p.prompts.saw("Impressão do Relatório de Erros concluída."));
        QVERIFY(!s.screen->printingPending() && enabled(*s.screen, ImportButton::PrintPending));
        QVERIFY(s.screen->source()->TxtArq()->isEnabled());
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
    }

    // The keys of the file-name box act only as their buttons would.
    void theKeyboardActsOnlyThroughButtonsThatAreOn_data() {
        QTest::addColumn<bool>("fileChosen");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("imports");
        QTest::addColumn<QString>("typed");
        QTest::newRow("Enter with a file is Ok") << true << int(Qt::Key_Return) << 0 << true << QString();
        QTest::newRow("Enter without one") << false << int(Qt::Key_Return) << 0 << false << QString();
        QTest::newRow("Alt+O while Ok is off") << false << int(Qt::Key_O) << int(Qt::AltModifier) << false
                                               << QString();
        QTest::newRow("a plain o is typed") << false << int(Qt::Key_O) << 0 << false << QStringLiteral("o");
    }
    void theKeyboardActsOnlyThroughButtonsThatAreOn() {
        QFETCH(bool, fileChosen);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, imports);
        QFETCH(QString, typed);
        Screen s;
        if (fileChosen) s.choose("erros.txt", declarationWithTwoErrors());
        QLineEdit* box = s.screen->source()->TxtArq();
        const QString before = box->text();
        s.screen->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(s.screen->window()));
        QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(s.screen->LblQtErros()->text(), imports ? QStringLiteral("2") : QStringLiteral("0"));
        QCOMPARE(box->text(), before + typed);
    }

    void f1OpensTheImportTopic() {
        Screen s;
        s.screen->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(s.screen->window()));
        QTest::keyClick(s.screen->source()->TxtArq(), Qt::Key_F1);
        HelpWindow* help = s.p.program->help().window();
        QVERIFY(help && help->currentPage().endsWith(QStringLiteral("topico-18.html")));
        help->close();
    }

    void aThousandErrorsAreCountedWithTheThousandsSeparator() {
        Screen s;
        s.choose("muitos.txt", declarationWithFillerErrors(1200));
        s.screen->BtnCmd(ImportButton::Ok)->click();
        QCOMPARE(s.screen->LblQtErros()->text(), QStringLiteral("1.200"));
        const QStringList lines = pendingLines(*s.screen);
        QCOMPARE(lines.at(lines.size() - 2),
                 QStringLiteral("Foram encontrados 1200 erros. Foi impossível gerar a declaração."));
        QCOMPARE(lines.count(lines[0]), 16);  // 1200 rows in blocks of 77
    }

    void aCleanImportAsksWhetherToTransmitAndNoSkipsIt() {
        Screen s;
        s.choose("correta.txt", cleanDeclaration(2, 2, 3));
        QString question;
        whenModalShows(QStringLiteral("KOVALDME3"), [&](QWidget* dialog) {
            question = dialog->findChild<QLabel*>("Label1")->text();
            QVERIFY(!s.screen->BtnCmd(ImportButton::PrintPending)->isEnabled());
            QVERIFY(s.screen->phaseFrame(ImportPhase::Generation)->isVisible());
            QCOMPARE(s.screen->phaseLabel(ImportPhase::Generation, 0)->text(), QStringLiteral("HI: 10:20:30"));
            clickButton(dialog, QStringLiteral("BtnCmd1"));
        });
        s.screen->BtnCmd(ImportButton::Ok)->click();
        QVERIFY2(!question.isEmpty(), qPrintable(s.p.prompts.transcript()));
        QVERIFY(question.startsWith(QStringLiteral("Arquivo importado com sucesso.\n\nA declaração foi gravada na "
                                                   "seguinte pasta: \n")));
        QVERIFY(question.contains(kDeclarationFolder));
        QVERIFY(question.endsWith(QStringLiteral("\n\nDeseja transmitir o arquivo neste momento ?")));
        QVERIFY(QFile::exists(s.deliveryFile()));
        QVERIFY(s.p.program->context().declarationGenerated);
        QCOMPARE(s.screen->session().answer, ImportAnswer::NoTransmission);
        // Emptying the name box at the end hides every timing frame.
        QVERIFY(!s.screen->phaseFrame(ImportPhase::Transmission)->isVisible());
        QVERIFY(!s.screen->phaseFrame(ImportPhase::Generation)->isVisible());
        QVERIFY(s.screen->source()->TxtArq()->text().isEmpty());
        QVERIFY(s.screen->declarantLabel("LblRazaoSocial")->text().isEmpty());
        QVERIFY(!enabled(*s.screen, ImportButton::Ok));
        QVERIFY(s.p.prompts.shown.empty());
    }

    void yesTransmitsAndTellsWhenQuiboroIsMissing() {
        InstalledQuiboro none("", false);
        Screen s;
        s.choose("correta.txt", cleanDeclaration(1, 0, 1));
        whenModalShows(QStringLiteral("KOVALDME3"), [](QWidget* d) { clickButton(d, QStringLiteral("BtnCmd0")); });
        bool frameShown = false;
        QString status, start, notice;
        // Quiboro's notice is a window of its own over the main window.
        whenModalShows(QStringLiteral("KOVALDME2"), [&](QWidget* d) {
            frameShown = s.screen->phaseFrame(ImportPhase::Transmission)->isVisible();
            status = s.screen->Label4()->text();
            start = s.screen->phaseLabel(ImportPhase::Transmission, 0)->text();
            notice = d->windowTitle();
            clickButton(d, QStringLiteral("BtnFechar"));
        });
        s.screen->BtnCmd(ImportButton::Ok)->click();
        QCOMPARE(notice, QStringLiteral("Transmissão da Declaração"));
        QVERIFY(frameShown);
        QCOMPARE(status, QStringLiteral("Aguarde a transmissão da declaração..."));
        QCOMPARE(start, QStringLiteral("HI: 10:20:30"));
        QCOMPARE(s.screen->phaseLabel(ImportPhase::Transmission, 1)->text(), QStringLiteral("HF: 10:20:30"));
        QVERIFY2(s.screen->phaseLabel(ImportPhase::Transmission, 2)->text().isEmpty(), "no elapsed time when nothing was sent");
        QVERIFY(QFile::exists(s.deliveryFile()));
        QVERIFY(s.screen->source()->TxtArq()->text().isEmpty());
    }

    // "&Não" and the close box both keep the declaration generated before.
    void importingTheSameDeclarationAgainAsksBeforeReplacingIt_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Não") << false;
        QTest::newRow("caixa de fechar") << true;
    }
    void importingTheSameDeclarationAgainAsksBeforeReplacingIt() {
        QFETCH(bool, closeBox);
        Screen s;
        const std::string bytes = cleanDeclaration(1, 0, 2);
        s.choose("correta.txt", bytes);
        whenModalShows(QStringLiteral("KOVALDME3"), [](QWidget* d) { clickButton(d, QStringLiteral("BtnCmd1")); });
        s.screen->BtnCmd(ImportButton::Ok)->click();
        QFile delivery(s.deliveryFile());
        QVERIFY(delivery.open(QIODevice::ReadOnly));
        const QByteArray first = delivery.readAll();
        delivery.close();

        s.choose("correta.txt", bytes);
        bool asked = false;
        whenModalShows(QStringLiteral("KOVALDME4"), [&](QWidget* d) {
            asked = true;
            closeBox ? (void)d->close() : clickButton(d, QStringLiteral("BtnCmd1"));
        });
        s.screen->BtnCmd(ImportButton::Ok)->click();
        QVERIFY(asked);
        QCOMPARE(s.screen->session().answer, ImportAnswer::NotGenerated);
        QVERIFY(!enabled(*s.screen, ImportButton::Ok));
        QVERIFY(delivery.open(QIODevice::ReadOnly));
        QCOMPARE(delivery.readAll(), first);
    }

    void cancellingALargeImportStopsItAndSaysSo() {
        Screen s;
        s.p.prompts.answer("Confirma o cancelamento da importação ?", Answer::Yes);
        s.choose("grande.txt", cleanDeclaration(0, 0, 100000));
        // Pressed once the pass is under way: the pass serves the click between records.
        whenTrue([&] { return s.screen->PgBar()->value() > 5 && enabled(*s.screen, ImportButton::Cancel); },
                 [&] { s.screen->BtnCmd(ImportButton::Cancel)->click(); });
        s.screen->BtnCmd(ImportButton::Ok)->click();
        QVERIFY2(s.p.prompts.saw("Importação Cancelada."), qPrintable(s.p.prompts.transcript()));
        const Message* cancel = s.p.prompts.find("Confirma o cancelamento da importação ?");
        QVERIFY(cancel);
        QCOMPARE(cancel->defaultAnswer, Answer::No);
        QCOMPARE(cancel->title, std::string("Cancelar"));
        QVERIFY(!enabled(*s.screen, ImportButton::PrintPending));
        QVERIFY(!enabled(*s.screen, ImportButton::Ok));
        QVERIFY(enabled(*s.screen, ImportButton::Close));
        QVERIFY(s.screen->source()->File1()->isEnabled());
        QVERIFY(!QFile::exists(s.deliveryFile()));
        QVERIFY(!QDir(s.declarationFolder()).exists());
        QVERIFY(!s.p.program->context().declarationGenerated);
    }

    // The close box pressed while the pending errors print: the print stops, nothing is written, and the screen
    // goes once the print has returned.
    void closingTheScreenDuringThePendingPrintStopsItThenCloses() {
        Screen s;
        const QString pdf = s.p.folder.path() + QStringLiteral("pendencias.pdf");
        s.p.program->context().printer.choosePdfFile(pdf);
        s.choose("muitos.txt", declarationWithFillerErrors(3000));
        s.screen->BtnCmd(ImportButton::Ok)->click();
        QPointer<ImportScreen> screen = s.screen;
        bool closedWhilePrinting = false;
        whenTrue([screen] { return screen && screen->printingPending(); }, [&, screen] {
            releaseScreen(screen);
            closedWhilePrinting = screen && screen->printingPending();
        }, 0);
        s.screen->BtnCmd(ImportButton::PrintPending)->click();
        QVERIFY(closedWhilePrinting);
        QTRY_VERIFY(screen.isNull());
        QVERIFY(!QFile::exists(pdf));
        QVERIFY2(!s.p.prompts.saw("Impressão do Relatório de Erros concluída."), qPrintable(s.p.prompts.transcript()));
        QVERIFY(!s.p.program->context().importScreenOpen);
    }

    void closingTheScreenDuringAnImportStopsItThenCloses() {
        Screen s;
        s.choose("grande.txt", cleanDeclaration(0, 0, 60000));
        QPointer<ImportScreen> screen = s.screen;
        whenTrue([screen] { return screen && screen->importRunning() && screen->PgBar()->value() > 5; },
                 [screen] { releaseScreen(screen); });
        s.screen->BtnCmd(ImportButton::Ok)->click();
        QTRY_VERIFY(screen.isNull());
        QVERIFY(!QFile::exists(s.deliveryFile()));
        QVERIFY(!s.p.program->context().importScreenOpen);
        for (QAction* a : s.p.mainWindow()->switchedCommands()) QVERIFY(a->isEnabled());
    }

    void theListTakesAHundredThousandLines() {
        Screen s;
        for (int i = 0; i < 120000; ++i) s.screen->pendingLine("linha " + std::to_string(i));
        QTRY_COMPARE(s.screen->LstPend()->model()->rowCount(), 120000);
        s.screen->LstPend()->scrollToBottom();
        QCOMPARE(s.screen->pendingModel()->line(119999), QStringLiteral("linha 119999"));
        s.screen->pendingCleared();
        QCOMPARE(s.screen->LstPend()->model()->rowCount(), 0);
    }
};

QTEST_MAIN(ImportScreenTest)
#include "import_screen_test.moc"
