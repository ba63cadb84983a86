// The message boxes and the program's own dialogs: texts, answers and keys.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/about_box.h"
#include "app/help_window.h"
#include "app/qt_prompts.h"
#include "app/replace_question.h"
#include "app/screen_host.h"
#include "app/session_printer.h"
#include "app/splash_screen.h"
#include "app/transmission_notice.h"
#include "app/transmit_question.h"
#include "support/app_test_support.h"

using namespace kova;
using namespace kova::app;
using namespace kova::app::testing;

Q_DECLARE_METATYPE(kova::Buttons)
Q_DECLARE_METATYPE(kova::Answer)
Q_DECLARE_METATYPE(kova::Icon)
Q_DECLARE_METATYPE(kova::QuiboroNotice)
Q_DECLARE_METATYPE(std::vector<int>)

namespace {

// Records the help topics asked for.
struct HelpRecorder : ScreenHost {
    void disableMenus() override {}
    void enableMenus() override {}
    void centreScreen(QWidget*) override {}
    void showHelp(std::optional<int> topic) override { topics.push_back(topic.value_or(0)); }
    std::vector<int> topics;
};

// Shows a message through QtPrompts and presses a key in the box.
Answer answerWithKey(const Message& m, int key) {
    whenModalShows(QStringLiteral("MsgBox"), [key](QWidget* box) { QTest::keyClick(box, Qt::Key(key)); });
    QtPrompts prompts;
    return prompts.show(m);
}

ReplaceQuestionFields sampleLabels() {
    return {"EMPRESA EXEMPLO LTDA", "11.222.333/0001-81", "2023", "Retificadora", "01 - Extinção"};
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void messageBoxesHaveTheirIconButtonsAndDefault_data() {
        QTest::addColumn<Icon>("icon");
        QTest::addColumn<Buttons>("buttons");
        QTest::addColumn<Answer>("defaultAnswer");
        QTest::addColumn<int>("qtIcon");
        QTest::addColumn<int>("qtDefault");
        QTest::addColumn<int>("qtEscape");
        QTest::newRow("exclamation ok") << Icon::Exclamation << Buttons::Ok << Answer::Ok << int(QMessageBox::Warning)
                                        << int(QMessageBox::Ok) << int(QMessageBox::Ok);
        QTest::newRow("question yes/no, no default")
            << Icon::Question << Buttons::YesNo << Answer::No << int(QMessageBox::Question) << int(QMessageBox::No)
            << int(QMessageBox::No);
        QTest::newRow("critical ok/cancel") << Icon::Critical << Buttons::OkCancel << Answer::Ok
                                            << int(QMessageBox::Critical) << int(QMessageBox::Ok)
                                            << int(QMessageBox::Cancel);
        QTest::newRow("information, default not offered")
            << Icon::Information << Buttons::YesNo << Answer::Ok << int(QMessageBox::Information)
            << int(QMessageBox::Yes) << int(QMessageBox::No);
    }
    void messageBoxesHaveTheirIconButtonsAndDefault() {
        QFETCH(Icon, icon);
        QFETCH(Buttons, buttons);
        QFETCH(Answer, defaultAnswer);
        QFETCH(int, qtIcon);
        QFETCH(int, qtDefault);
        QFETCH(int, qtEscape);
        Message m{"Título", "Linha 1\nLinha 2\rLinha 3", icon, buttons, defaultAnswer};
        std::unique_ptr<QMessageBox> box(buildMessageBox(m, nullptr));
        QCOMPARE(int(box->icon()), qtIcon);
        QCOMPARE(box->windowTitle(), QStringLiteral("Título"));
        QCOMPARE(box->text(), QStringLiteral("Linha 1\nLinha 2\nLinha 3"));
        QCOMPARE(int(box->standardButton(box->defaultButton())), qtDefault);
        QCOMPARE(int(box->standardButton(box->escapeButton())), qtEscape);
    }

    void enterTakesTheDefaultAndEscapeTheNegativeAnswer() {
        const Message question{"Cancelar", "Confirma o cancelamento da importação ?", Icon::Question, Buttons::YesNo,
                               Answer::No};
        QCOMPARE(answerWithKey(question, Qt::Key_Return), Answer::No);
        QCOMPARE(answerWithKey(question, Qt::Key_Escape), Answer::No);
        const Message exit{"Confirmação", "Deseja sair do programa ?", Icon::Question, Buttons::YesNo, Answer::Yes};
        QCOMPARE(answerWithKey(exit, Qt::Key_Return), Answer::Yes);
        const Message folder{"Arquivos na pasta", "…", Icon::Exclamation, Buttons::OkCancel, Answer::Ok};
        QCOMPARE(answerWithKey(folder, Qt::Key_Escape), Answer::Cancel);
    }

    void theSplashClosesOnEnterBeforeItsTicks() {
        bool opened = false;
        SplashScreen splash([&] {
            opened = true;
            return true;
        }, nullptr, 60000);
        QTimer::singleShot(0, [&] {
            QTest::keyClick(splash.text1(), Qt::Key_A);
            QTest::keyClick(splash.text1(), Qt::Key_Escape);
            QVERIFY(splash.isVisible());
            QTest::keyClick(splash.text1(), Qt::Key_Return);
        });
        QVERIFY(splash.run());
        QVERIFY(opened);
        QVERIFY(!splash.isVisible());
        QVERIFY(splash.text1()->text().isEmpty());  // the other keys were swallowed
    }

    // Without a key: four ticks when the work database opens; at once when it fails.
    void theSplashEndsByItself_data() {
        QTest::addColumn<bool>("databaseOpens");
        QTest::addColumn<int>("ticks");
        QTest::newRow("database opens") << true << 4;
        QTest::newRow("database fails") << false << 1;
    }
    void theSplashEndsByItself() {
        QFETCH(bool, databaseOpens);
        QFETCH(int, ticks);
        SplashScreen splash([&] { return databaseOpens; }, nullptr, 1);
        QCOMPARE(splash.run(), databaseOpens);
        QVERIFY(!splash.isVisible());
        QCOMPARE(splash.counter(), ticks);
    }

    void theAboutBoxShowsTheVersionAndClosesOnEnterOrEscape() {
        for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
            AboutBox about(QStringLiteral("Versão 3.0 - 16/02/2007"));
            QCOMPARE(about.findChild<QLabel*>("LblVersao")->text(), QStringLiteral("Versão 3.0 - 16/02/2007"));
            QCOMPARE(about.findChild<QLabel*>("LblTitulo")->text(), QStringLiteral("KOVA NÃO INCIDÊNCIA 3.0"));
            // The agency and its ministry by the names the printed documents carry.
            QCOMPARE(about.findChild<QLabel*>("LblOrgao")->text(),
                     QStringLiteral("QOT - Secretaria da Arventa\nMinistério da Dorvela"));
            QTimer::singleShot(0, [&about, key] { QTest::keyClick(about.findChild<QLabel*>("LblDescricao"), Qt::Key(key)); });
            QCOMPARE(about.exec(), int(QDialog::Accepted));
        }
    }

    // Sim and Não write the answer; help opens its topic and leaves the question open, and the close box then
    // leaves the answer as it was.
    void theTransmitQuestionWritesItsAnswer_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("expected");
        QTest::addColumn<std::vector<int>>("topics");
        QTest::newRow("Sim") << "BtnCmd0" << 1 << std::vector<int>{};
        QTest::newRow("Não") << "BtnCmd1" << 2 << std::vector<int>{};
        QTest::newRow("Ajuda, then the close box") << "BtnCmd2" << int(ImportAnswer::UnderWay) << std::vector<int>{36};
    }
    void theTransmitQuestionWritesItsAnswer() {
        QFETCH(QString, button);
        QFETCH(int, expected);
        QFETCH(std::vector<int>, topics);
        HelpRecorder host;
        ImportAnswer answer = ImportAnswer::UnderWay;
        TransmitQuestion question(QStringLiteral("Arquivo importado com sucesso."), answer, &host, nullptr);
        QCOMPARE(question.windowTitle(), QStringLiteral("Transmitir Declaração"));
        QTimer::singleShot(0, [&] {
            clickButton(&question, button);
            if (question.isVisible() && !topics.empty()) question.close();
        });
        question.exec();
        QCOMPARE(int(answer), expected);
        QCOMPARE(host.topics, topics);
    }

    void theReplaceQuestionShowsTheDeclarationAndWritesItsAnswer_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("expected");
        QTest::addColumn<Answer>("returned");
        QTest::addColumn<std::vector<int>>("topics");
        QTest::newRow("Sim") << "BtnCmd0" << 0 << Answer::Yes << std::vector<int>{};
        QTest::newRow("Não") << "BtnCmd1" << 1 << Answer::No << std::vector<int>{};
        QTest::newRow("Ajuda, then the close box")
            << "BtnCmd3" << int(ImportAnswer::UnderWay) << Answer::No << std::vector<int>{18};
    }
    void theReplaceQuestionShowsTheDeclarationAndWritesItsAnswer() {
        QFETCH(QString, button);
        QFETCH(int, expected);
        QFETCH(Answer, returned);
        QFETCH(std::vector<int>, topics);
        HelpRecorder host;
        ImportAnswer answer = ImportAnswer::UnderWay;
        ScreenReplaceQuestion question(answer, &host, nullptr);
        whenModalShows(QStringLiteral("KOVALDME4"), [&](QWidget* dialog) {
            auto* me4 = static_cast<ReplaceQuestionDialog*>(dialog);
            QCOMPARE(me4->windowTitle(), QStringLiteral("Importar Declaração"));
            QCOMPARE(me4->valueLabel("LblNome")->text(), QStringLiteral("EMPRESA EXEMPLO LTDA"));
            QCOMPARE(me4->valueLabel("LblCNPJ")->text(), QStringLiteral("11.222.333/0001-81"));
            QCOMPARE(me4->valueLabel("LblTipo")->text(), QStringLiteral("Retificadora"));
            QCOMPARE(me4->valueLabel("LblSituacao")->text(), QStringLiteral("01 - Extinção"));
            QVERIFY(!me4->button(2)->isVisible());
            QVERIFY(me4->findChild<QLabel*>("Label1")->text().startsWith("Declaração já existe."));
            clickButton(me4, button);
            if (me4->isVisible() && !topics.empty()) me4->close();
        });
        QCOMPARE(question.ask(sampleLabels()), returned);
        QCOMPARE(int(answer), expected);
        QCOMPARE(host.topics, topics);
    }

    void theTransmissionNoticesTellWhereToGetQuiboro_data() {
        QTest::addColumn<QuiboroNotice>("kind");
        QTest::addColumn<QString>("name");
        QTest::newRow("versão antiga") << QuiboroNotice::OldVersion << QStringLiteral("KOVALDME1");
        QTest::newRow("não instalado") << QuiboroNotice::NotInstalled << QStringLiteral("KOVALDME2");
    }
    void theTransmissionNoticesTellWhereToGetQuiboro() {
        QFETCH(QuiboroNotice, kind);
        QFETCH(QString, name);
        QWidget main;
        main.setGeometry(100, 100, 900, 600);
        main.show();
        ScreenTransmissionDialogs dialogs(&main);
        whenModalShows(name, [&](QWidget* notice) {
            QCOMPARE(notice->windowTitle(), QStringLiteral("Transmissão da Declaração"));
            QCOMPARE(notice->findChild<QLabel*>("Label1")->text().toStdString(), quiboroNoticeText(kind));
            QVERIFY(notice->findChild<QLabel*>("LblEndereco")->text().contains(QStringLiteral("http://www.qot.gov.br")));
            QVERIFY((notice->geometry().center() - main.geometry().center()).manhattanLength() < 40);
            clickButton(notice, QStringLiteral("BtnFechar"));
        });
        dialogs.showNotice(kind);
        QVERIFY(!QApplication::activeModalWidget());
    }

    // The PDF file of a printed document: named after the document, never replacing a file unasked.
    void aPdfFileIsProposedByDocumentAndReplacedOnlyWhenAgreed_data() {
        QTest::addColumn<QString>("typed");  // in the save dialog; empty: cancelled
        QTest::addColumn<bool>("exists");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("chosen");  // empty: nothing is printed
        QTest::newRow("a new file") << "novo.pdf" << false << Answer::No << "novo.pdf";
        QTest::newRow("without the extension") << "novo" << false << Answer::No << "novo.pdf";
        QTest::newRow("existing, Sim") << "velho.pdf" << true << Answer::Yes << "velho.pdf";
        QTest::newRow("existing, Não") << "velho.pdf" << true << Answer::No << "";
        QTest::newRow("dialog cancelled") << "" << false << Answer::Yes << "";
    }
    void aPdfFileIsProposedByDocumentAndReplacedOnlyWhenAgreed() {
        QFETCH(QString, typed);
        QFETCH(bool, exists);
        QFETCH(Answer, answer);
        QFETCH(QString, chosen);
        QTemporaryDir folder;
        const QString typedPath = typed.isEmpty() ? QString() : folder.filePath(typed);
        if (exists) {
            QFile old(typedPath);
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write("guardado") == 8);
        }
        SessionPrinter printer;
        QStringList proposals;
        printer.setFileChooser([&](QWidget*, const QString& proposed) {
            proposals << proposed;
            return typedPath;
        });
        ScriptedPrompts prompts;
        prompts.answer("já existe", answer);
        const QString name = documentName(QStringLiteral("pendencias"), "98.765.432/0001-98");
        QCOMPARE(printer.pdfFileFor(name, prompts, nullptr), chosen.isEmpty() ? QString() : folder.filePath(chosen));
        QCOMPARE(QFileInfo(proposals.value(0)).fileName(), QStringLiteral("pendencias-98765432000198.pdf"));
        QCOMPARE(prompts.shown.size(), std::size_t(exists ? 1 : 0));
        if (exists) QCOMPARE(prompts.shown[0].defaultAnswer, Answer::No);
        // The next document is proposed where this one went.
        printer.pdfFileFor(name, prompts, nullptr);
        QCOMPARE(QFileInfo(proposals.value(1)).absolutePath() == QDir(folder.path()).absolutePath(), !chosen.isEmpty());
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
