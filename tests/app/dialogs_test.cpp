// The message boxes and the program's own dialogs: texts, answers and keys.
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/qt_prompts.h"
#include "app/replace_question.h"
#include "app/screen_host.h"
#include "app/session_printer.h"
#include "app/splash_screen.h"
#include "app/transmit_question.h"
#include "support/app_test_support.h"

using namespace kova;
using namespace kova::app;
using namespace kova::app::testing;

Q_DECLARE_METATYPE(kova::Answer)
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

// The answer to a message shown through the real message box when this key is pressed in it.
Answer answerWithKey(const Message& m, int key) {
    whenModalShows(QStringLiteral("MsgBox"), [key](QWidget* box) { QTest::keyClick(box, Qt::Key(key)); });
    QtPrompts prompts;
    return prompts.show(m);
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void messageBoxesHaveTheirIconButtonsAndKeys() {
        const Message warning{"Título", "Linha 1\nLinha 2\rLinha 3", Icon::Exclamation, Buttons::Ok, Answer::Ok};
        std::unique_ptr<QMessageBox> box(buildMessageBox(warning, nullptr));
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->windowTitle(), QStringLiteral("Título"));
        QCOMPARE(box->text(), QStringLiteral("Linha 1\nLinha 2\nLinha 3"));
        const Message cancel{"Cancelar", "Confirma ?", Icon::Question, Buttons::YesNo, Answer::No};
        const Message exit{"Confirmação", "Deseja sair do programa ?", Icon::Question, Buttons::YesNo, Answer::Yes};
        const Message folder{"Arquivos na pasta", "…", Icon::Critical, Buttons::OkCancel, Answer::Ok};
        const std::tuple<Message, int, Answer> keys[] = {{cancel, Qt::Key_Return, Answer::No},
                                                        {cancel, Qt::Key_Escape, Answer::No},
                                                        {exit, Qt::Key_Return, Answer::Yes},
                                                        {exit, Qt::Key_Escape, Answer::No},
                                                        {folder, Qt::Key_Escape, Answer::Cancel}};
        for (const auto& [message, key, expected] : keys) QCOMPARE(answerWithKey(message, key), expected);
    }

    // Enter ends the splash before its ticks; without a key it ends after four ticks when the work database
    // opens, at once when it fails.
    void theSplashEndsOnEnterOrByItself() {
        SplashScreen waiting([] { return true; }, nullptr, 60000);
        QTimer::singleShot(0, [&] { QTest::keyClick(waiting.text1(), Qt::Key_Return); });
        QVERIFY(waiting.run());
        for (const bool opens : {true, false}) {
            SplashScreen splash([&] { return opens; }, nullptr, 1);
            QCOMPARE(splash.run(), opens);
            QVERIFY(!splash.isVisible());
            QCOMPARE(splash.counter(), opens ? 4 : 1);
        }
    }

    // Sim and Não write the answer; help opens its topic and leaves the question open, and the close box then
    // leaves the answer as it was. The transmit question and the replace question alike.
    void theQuestionsWriteTheirAnswer_data() {
        QTest::addColumn<bool>("replace");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("expected");
        QTest::addColumn<std::vector<int>>("topics");
        QTest::newRow("transmit, Sim") << false << "BtnCmd0" << 1 << std::vector<int>{};
        QTest::newRow("transmit, Não") << false << "BtnCmd1" << 2 << std::vector<int>{};
        QTest::newRow("transmit, Ajuda") << false << "BtnCmd2" << 0 << std::vector<int>{36};
        QTest::newRow("replace, Sim") << true << "BtnCmd0" << 0 << std::vector<int>{};
        QTest::newRow("replace, Não") << true << "BtnCmd1" << 1 << std::vector<int>{};
        QTest::newRow("replace, Ajuda") << true << "BtnCmd3" << 0 << std::vector<int>{18};
    }
    void theQuestionsWriteTheirAnswer() {
        QFETCH(bool, replace);
        QFETCH(QString, button);
        QFETCH(int, expected);
        QFETCH(std::vector<int>, topics);
        HelpRecorder host;
        ImportAnswer answer = ImportAnswer::UnderWay;
        whenModalShows(replace ? QStringLiteral("KOVALDME4") : QStringLiteral("KOVALDME3"), [&](QWidget* dialog) {
            clickButton(dialog, button);
            if (dialog->isVisible() && !topics.empty()) dialog->close();
        });
        if (replace) {
            ScreenReplaceQuestion question(answer, &host, nullptr);
            const ReplaceQuestionFields fields{"EMPRESA EXEMPLO LTDA", "11.222.333/0001-81", "2023", "Retificadora",
                                               "01 - Extinção"};
            QCOMPARE(question.ask(fields), expected == 0 && topics.empty() ? Answer::Yes : Answer::No);
        } else {
            TransmitQuestion(QStringLiteral("Arquivo importado com sucesso."), answer, &host, nullptr).exec();
        }
        QCOMPARE(int(answer), expected);
        QCOMPARE(host.topics, topics);
    }

    // The PDF file of a printed document: named after the document, never replacing a file unasked.
    void aPdfFileIsProposedByDocumentAndReplacedOnlyWhenAgreed_data() {
        QTest::addColumn<QString>("typed");  // in the save dialog; empty: cancelled
        QTest::addColumn<bool>("exists");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("chosen");  // empty: nothing is printed
        QTest::newRow("a new file") << "novo.pdf" << false << Answer::No << "novo.pdf";
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
        QFile old(typedPath);
        if (exists) QVERIFY(old.open(QIODevice::WriteOnly));
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
    }

};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
