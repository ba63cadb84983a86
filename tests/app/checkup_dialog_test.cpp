// The check-up of the installation in the desktop program: its rows, checking again after a fix, and the "Ajuda"
// menu item that opens it, with F1 on its help topic.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "app/checkup_dialog.h"
#include "app/help_window.h"
#include "app/main_window.h"
#include "app/program_context.h"
#include "support/app_test_support.h"
#include "support/program_run.h"
#include "support/temp_folder.h"

using namespace kova;
using namespace kova::app;
using namespace kova::app::testing;

namespace {

QString rowText(const CheckupDialog& dialog, const std::string& key) {
    const auto* label = dialog.findChild<QLabel*>(QStringLiteral("Detalhe_%1").arg(QString::fromStdString(key)));
    return label ? label->text() : QStringLiteral("(sem linha)");
}

const print::CheckLine* lineOf(const CheckupDialog& dialog, const std::string& key) {
    for (const print::CheckLine& line : dialog.lines())
        if (line.key == key) return &line;
    return nullptr;
}

}  // namespace

class CheckupDialogTest : public QObject {
    Q_OBJECT

private slots:
    void showsEveryLineAndChecksAgainAfterAFix() {
        ProgramFolder folder;
        testing_support::TempFolder windows;
        qputenv("KOVA_WINDIR", windows.path().c_str());
        CheckupDialog dialog(folder.path(), [] {});
        dialog.show();

        QCOMPARE(dialog.lines().size(), std::size_t(9));
        for (const print::CheckLine& line : dialog.lines()) {
            const QString text = rowText(dialog, line.key);
            QVERIFY2(text.startsWith(QString::fromStdString(line.detail)), qPrintable(text));
            QCOMPARE(text.contains(QStringLiteral("\nComo corrigir: ") + QString::fromStdString(line.fix)),
                     !line.fix.empty());
        }
        QCOMPARE(lineOf(dialog, "banco")->state, print::CheckState::Ready);
        QCOMPARE(lineOf(dialog, "quiboro-configuracao")->state, print::CheckState::NotReady);
        const auto* summary = dialog.findChild<QLabel*>(QStringLiteral("LblResumo"));
        QCOMPARE(summary->text().toStdString(), print::checkupSummary(dialog.lines()));

        std::ofstream(windows / "qui-bor.ini")
            << "[Qui-Bor]\nVersao=200702\nPath=" << testing_support::binFolder().string() << "\n";
        clickButton(&dialog, QStringLiteral("BtnVerificar"));
        QCOMPARE(lineOf(dialog, "quiboro-configuracao")->state, print::CheckState::Ready);
        QVERIFY(!rowText(dialog, "quiboro-configuracao").contains(QStringLiteral("Como corrigir")));

        qunsetenv("KOVA_WINDIR");
    }

    void theHelpMenuOpensItAndF1ShowsItsTopic() {
        ProgramFolder folder;
        ProgramContext context;
        context.programFolder = folder.path();
        ScriptedPrompts prompts;
        HelpLauncher help(folder.path(), QCoreApplication::applicationDirPath());
        MainWindow main(context, prompts, help);
        main.show();
        bool opened = false;
        whenModalShows(QStringLiteral("DlgDiagnostico"), [&](QWidget* dialog) {
            opened = true;
            QTest::keyClick(dialog, Qt::Key_F1);
            clickButton(dialog, QStringLiteral("BtnFechar"));
        });
        main.command(QStringLiteral("mnuDiagnostico"))->trigger();
        QVERIFY(opened);
        QVERIFY(help.window());
        QVERIFY(help.window()->currentPage().endsWith(QStringLiteral("topico-40.html")));
        help.window()->close();
    }
};

QTEST_MAIN(CheckupDialogTest)
#include "checkup_dialog_test.moc"
