// A whole session as a person has it, with the real message boxes: start, pick a declaration in the folder
// tree and the file list, import it, read the errors, close the screen and leave the program.
#include <QAction>
#include <QApplication>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include "app/import_screen.h"
#include "app/main_window.h"
#include "app/pending_list_model.h"
#include "app/qt_prompts.h"
#include "app/source_frame.h"
#include "app/startup.h"
#include "support/app_test_support.h"
#include "support/declaration_builder.h"

using namespace kova;
using namespace kova::app;
using namespace kova::app::testing;
using namespace kova::fixtures;

class DesktopSessionTest : public QObject {
    Q_OBJECT

private slots:
    void importWithErrorsThenLeave() {
        ProgramFolder folder;
        DeclarationBuilder d;
        d.type3(2).type4F(1).type5(4);
        d.header().uf("XX");
        d.replaceRecord(4, EntityBuilder::type3(4, 1).name("entidade minuscula").build());
        const QString file = folder.writeInput(QStringLiteral("declaracao.txt"), d.str());

        FixedPlatform platform;
        platform.date = QStringLiteral("M/d/yy");  // one real message box at start-up, answered with Enter
        QtPrompts prompts;
        FixedClock clock(DateTime{2024, 5, 2, 9, 0, 0});
        StartupOptions options;
        options.programFolder = folder.path();
        options.executableFolder = QCoreApplication::applicationDirPath();
        options.splashTickMs = 1;
        options.quitOnExit = false;
        Program program(options, platform, prompts, clock);

        QString startupMessage;
        whenModalShows(QStringLiteral("MsgBox"), [&](QWidget* box) {
            startupMessage = static_cast<QMessageBox*>(box)->windowTitle();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QVERIFY(program.start());
        QCOMPARE(startupMessage, QStringLiteral("Configuração"));
        MainWindow* main = program.mainWindow();
        prompts.setParent(main);
        auto* screen = main->findChild<ImportScreen*>();
        QVERIFY(screen);

        // The folder is chosen in the tree, the file with a click in the list.
        QTreeView* tree = screen->source()->Dir1();
        auto* folders = static_cast<QFileSystemModel*>(tree->model());
        const QString inputFolder = QFileInfo(file).absolutePath();
        QTRY_VERIFY(folders->index(inputFolder).isValid());
        tree->setCurrentIndex(folders->index(inputFolder));
        QCOMPARE(screen->source()->folder(), inputFolder);
        QListView* list = screen->source()->File1();
        QTRY_COMPARE(list->model()->rowCount(list->rootIndex()), 1);
        const QModelIndex item = list->model()->index(0, 0, list->rootIndex());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
        QCOMPARE(screen->source()->TxtArq()->text(), file);
        QVERIFY(screen->BtnCmd(ImportButton::Ok)->isEnabled());

        QTest::mouseClick(screen->BtnCmd(ImportButton::Ok), Qt::LeftButton);
        screen->pendingModel()->flush();
        QCOMPARE(screen->LblQtErros()->text(), QStringLiteral("2"));
        QCOMPARE(screen->LstPend()->model()->rowCount(), 8);
        QVERIFY(screen->BtnCmd(ImportButton::PrintPending)->isEnabled());

        // Closed from its button; then the exit question: Escape is No, Enter is Yes.
        QTest::mouseClick(screen->BtnCmd(ImportButton::Close), Qt::LeftButton);
        QTRY_VERIFY(main->findChild<ImportScreen*>() == nullptr);
        QSignalSpy exits(main, &MainWindow::exitConfirmed);
        whenModalShows(QStringLiteral("MsgBox"), [](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QVERIFY(!main->close());
        QVERIFY(main->isVisible());
        for (QAction* a : main->switchedCommands()) QVERIFY(a->isEnabled());
        whenModalShows(QStringLiteral("MsgBox"), [](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
        QVERIFY(main->close());
        QCOMPARE(exits.count(), 1);
    }
};

QTEST_MAIN(DesktopSessionTest)
#include "desktop_session_test.moc"
