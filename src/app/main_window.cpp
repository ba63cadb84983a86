#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

#include "app/about_box.h"
#include "app/agency_site.h"
#include "app/checkup_dialog.h"
#include "app/help_window.h"
#include "app/program_context.h"
#include "app/toolbar_icons.h"

namespace kova::app {

namespace {

// The menu items that disableMenus and enableMenus switch (the toolbar buttons are switched as well).
const QStringList kSwitchedMenuItems = {
    QStringLiteral("MnuValidar"), QStringLiteral("MnuTransmitir"), QStringLiteral("MnuAjuda"),
    QStringLiteral("MnuConfImp"), QStringLiteral("mnuapresen"),    QStringLiteral("MnuConteudo"),
    QStringLiteral("MnuDeclaracao"), QStringLiteral("mnuimpdecla"), QStringLiteral("MnuImpRec"),
    QStringLiteral("MnuImprimir"), QStringLiteral("mnuleiaute"),   QStringLiteral("mnusobre"),
    QStringLiteral("MnuSair"),
};

// Pixels left for a window manager's title bar and borders when the window is not maximized.
constexpr int kFrameAllowance = 48;

}  // namespace

MainWindow::MainWindow(ProgramContext& context, Prompts& prompts, HelpLauncher& help, QWidget* parent)
    : QMainWindow(parent), context_(context), prompts_(prompts), help_(help), mdi_(new QMdiArea(this)) {
    setObjectName(QStringLiteral("KOVALDPRI"));
    setWindowTitle(kMainWindowTitle);
    setWindowIcon(programIcon(ProgramIcon::Program));
    mdi_->setObjectName(QStringLiteral("MdiArea"));
    mdi_->setBackground(QColor(0x80, 0x80, 0x80));
    // On a small screen a screen larger than the inner area can still be reached.
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    buildMenus();
    buildToolbar();

    // The whole available area: opened maximized, so the window manager's frame is allowed for; restored, the
    // window keeps that size less room for the frame.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        resize(screen->availableSize() - QSize(kFrameAllowance, kFrameAllowance));
    }
    setWindowState(windowState() | Qt::WindowMaximized);
}

MainWindow::~MainWindow() {
    // The child windows go with the main window; their ends must not switch commands of a window half gone.
    // (Closed ones waiting for deletion included.)
    for (QMdiSubWindow* sub : mdi_->findChildren<QMdiSubWindow*>()) disconnect(sub, nullptr, this, nullptr);
}

QAction* MainWindow::addCommand(QMenu* menu, const QString& name, const QString& caption,
                               const QKeySequence& shortcut, std::function<void()> handler) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    if (handler) connect(action, &QAction::triggered, this, [handler] { handler(); });
    commands_.insert(name, action);
    return action;
}

void MainWindow::buildMenus() {
    auto named = [this](QMenu* menu, const QString& name) {
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        commands_.insert(name, menu->menuAction());
        return menu;
    };
    auto separator = [](QMenu* menu, const QString& name) { menu->addSeparator()->setObjectName(name); };

    QMenu* declaracao = named(menuBar()->addMenu(QStringLiteral("&Declaração")), QStringLiteral("MnuDeclaracao"));
    addCommand(declaracao, QStringLiteral("MnuValidar"), QStringLiteral("Importar Declaração"),
               QKeySequence(Qt::CTRL | Qt::Key_I), [this] { onImport(); });
    separator(declaracao, QStringLiteral("mnutraco1"));
    addCommand(declaracao, QStringLiteral("MnuTransmitir"), QStringLiteral("Transmitir Declaração Via Internet..."),
               QKeySequence(Qt::CTRL | Qt::Key_T), [this] { onTransmit(); });
    separator(declaracao, QStringLiteral("mnutraco2"));
    QMenu* imprimir = named(declaracao->addMenu(QStringLiteral("Imprimir")), QStringLiteral("MnuImprimir"));
    addCommand(imprimir, QStringLiteral("mnuimpdecla"), QStringLiteral("Declaração"),
               QKeySequence(Qt::CTRL | Qt::Key_P), [this] { onPrintDeclaration(); });
    addCommand(imprimir, QStringLiteral("MnuImpRec"), QStringLiteral("Recibo"), QKeySequence(Qt::CTRL | Qt::Key_R),
               [this] { onPrintReceipt(); });
    addCommand(declaracao, QStringLiteral("MnuConfImp"), QStringLiteral("Configurar Impressora"), {},
               [this] { onPrinterSetup(); });
    separator(declaracao, QStringLiteral("mnutraco3"));
    addCommand(declaracao, QStringLiteral("MnuSair"), QStringLiteral("Sair do Programa"),
               QKeySequence(Qt::CTRL | Qt::Key_S), [this] { onExit(); });

    QMenu* ajuda = named(menuBar()->addMenu(QStringLiteral("&Ajuda")), QStringLiteral("MnuAjuda"));
    addCommand(ajuda, QStringLiteral("MnuConteudo"), QStringLiteral("Conteúdo"), {},
               [this] { showHelp(topic::Conteudo); });
    separator(ajuda, QStringLiteral("mnutraco4"));
    addCommand(ajuda, QStringLiteral("mnuapresen"), QStringLiteral("Apresentação"), {},
               [this] { showHelp(topic::Apresentacao); });
    addCommand(ajuda, QStringLiteral("mnuInstrucoesImportacao"), QStringLiteral("Instruções de Importação"), {},
               [this] { showHelp(topic::InstrucoesImportacao); });
    addCommand(ajuda, QStringLiteral("mnuInstrucoesNavegacao"), QStringLiteral("Instruções de Navegação"), {},
               [this] { showHelp(topic::InstrucoesNavegacao); });
    separator(ajuda, QStringLiteral("mnutraco5"));
    addCommand(ajuda, QStringLiteral("mnuPaginaQOT"), QStringLiteral("Acesso à Página da QOT na Internet"), {},
               [] { openAgencySite(); });
    separator(ajuda, QStringLiteral("mnutraco6"));
    addCommand(ajuda, QStringLiteral("mnuleiaute"), QStringLiteral("Leiaute dos Registros"), {},
               [this] { showHelp(topic::LeiauteRegistros); });
    addCommand(ajuda, QStringLiteral("mnuDiagnostico"), QStringLiteral("Diagnóstico da Instalação"), {},
               [this] { onCheckup(); });
    addCommand(ajuda, QStringLiteral("mnusobre"), QStringLiteral("Sobre a KOVA Não Incidência"), {},
               [this] { onAbout(); });
}

void MainWindow::buildToolbar() {
    QToolBar* bar = addToolBar(QStringLiteral("Barra de ferramentas"));
    bar->setObjectName(QStringLiteral("Toolbar1"));
    bar->setMovable(false);
    bar->setIconSize(QSize(24, 24));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);

    auto button = [this, bar](int index, ProgramIcon icon, const QString& caption) {
        QAction* action = bar->addAction(programIcon(icon), caption);
        action->setObjectName(QStringLiteral("Toolbar1_%1").arg(index));
        connect(action, &QAction::triggered, this, [this, index] { onToolbarButton(index); });
        toolbar_.append(action);
        return action;
    };
    auto separator = [this, bar](int index) {
        QAction* action = bar->addSeparator();
        action->setObjectName(QStringLiteral("Toolbar1_%1").arg(index));
        toolbar_.append(action);
    };

    button(1, ProgramIcon::Import, QStringLiteral("Importar Declaração"));
    separator(2);
    QAction* print = button(3, ProgramIcon::Print, QStringLiteral("Imprimir"));
    auto* printMenu = new QMenu(this);
    printMenu->setObjectName(QStringLiteral("Toolbar1_3_menu"));
    QAction* printDeclaration = printMenu->addAction(QStringLiteral("Declaração"));
    printDeclaration->setObjectName(QStringLiteral("ButtonMenu1"));
    connect(printDeclaration, &QAction::triggered, this, [this] { onPrintMenuItem(1); });
    QAction* printReceipt = printMenu->addAction(QStringLiteral("Recibo"));
    printReceipt->setObjectName(QStringLiteral("ButtonMenu2"));
    connect(printReceipt, &QAction::triggered, this, [this] { onPrintMenuItem(2); });
    printButton_ = qobject_cast<QToolButton*>(bar->widgetForAction(print));
    if (printButton_) {
        printButton_->setMenu(printMenu);
        printButton_->setPopupMode(QToolButton::MenuButtonPopup);
    }
    separator(4);
    button(5, ProgramIcon::Transmit, QStringLiteral("Transmitir Declaração"));
    separator(6);
    button(7, ProgramIcon::Help, QStringLiteral("Ajuda"));
    separator(8);
    button(9, ProgramIcon::Exit, QStringLiteral("Sair do Programa"));
}

QAction* MainWindow::command(const QString& name) const { return commands_.value(name, nullptr); }

QAction* MainWindow::toolbarButton(int index) const {
    return index >= 1 && index <= toolbar_.size() ? toolbar_[index - 1] : nullptr;
}

QList<QAction*> MainWindow::switchedCommands() const {
    QList<QAction*> list;
    for (const QString& name : kSwitchedMenuItems) list.append(commands_.value(name));
    list.append(toolbar_);
    return list;
}

void MainWindow::setCommandsEnabled(bool enabled) {
    for (QAction* action : switchedCommands()) action->setEnabled(enabled);
}

void MainWindow::disableMenus() { setCommandsEnabled(false); }
void MainWindow::enableMenus() { setCommandsEnabled(true); }
void MainWindow::enableAllCommands() { setCommandsEnabled(true); }
void MainWindow::disableAllCommands() { setCommandsEnabled(false); }

void MainWindow::centreScreen(QWidget* screen) {
    QWidget* frame = screen;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(screen->parentWidget())) frame = sub;
    const QSize area = frame->parentWidget() ? frame->parentWidget()->size() : size();
    const int left = frame->width() >= area.width() ? 0 : (area.width() - frame->width()) / 2;
    const int top = frame->height() >= area.height() ? 0 : (area.height() - frame->height()) / 2;
    frame->move(left, top);
}

void MainWindow::showHelp(std::optional<int> topic) {
    // A help system that cannot start is not the program's failure: nothing is reported.
    help_.Show(topic);
}

bool MainWindow::closeWindowTitled(const QString& title) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->windowTitle() == title) {
            QMetaObject::invokeMethod(w, &QWidget::close, Qt::QueuedConnection);
            return true;
        }
    }
    return false;
}

void MainWindow::setScreenFactory(ScreenKind kind, ScreenFactory factory) { factories_.insert(kind, factory); }

bool MainWindow::hasOpenScreen() const { return !mdi_->subWindowList().isEmpty(); }

QMdiSubWindow* MainWindow::showChild(QWidget* screen) {
    QMdiSubWindow* sub = mdi_->addSubWindow(screen, Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                        Qt::WindowCloseButtonHint);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(programIcon(ProgramIcon::Program));
    sub->adjustSize();
    // A screen never larger than the inner area: its buttons stay in sight, its lists scroll instead.
    if (mdi_->isVisible()) sub->resize(sub->size().boundedTo(mdi_->viewport()->size()));
    // Until the screen closes only it can be used, as the commands are off.
    disableMenus();
    connect(sub, &QObject::destroyed, this, [this] { enableMenus(); });
    sub->show();
    centreScreen(screen);
    mdi_->setActiveSubWindow(sub);
    return sub;
}

QWidget* MainWindow::openScreen(ScreenKind kind) {
    const auto factory = factories_.value(kind);
    if (!factory) return nullptr;
    QWidget* screen = factory(*this);
    if (screen) showChild(screen);
    return screen;
}

void MainWindow::onImport() { openScreen(ScreenKind::Import); }
void MainWindow::onTransmit() { openScreen(ScreenKind::Transmission); }
void MainWindow::onPrintDeclaration() { openScreen(ScreenKind::PrintDeclaration); }
void MainWindow::onPrintReceipt() { openScreen(ScreenKind::PrintReceipt); }
void MainWindow::onPrinterSetup() { context_.printer.configure(this); }

void MainWindow::onAbout() {
    AboutBox about(context_.versionText, this);
    about.exec();
}

void MainWindow::onCheckup() {
    CheckupDialog checkup(context_.programFolder, [this] { showHelp(topic::DiagnosticoInstalacao); }, this);
    checkup.exec();
}

void MainWindow::onToolbarButton(int index) {
    switch (index) {
        case 1: onImport(); break;
        case 3: onPrintDeclaration(); break;
        case 5: onTransmit(); break;
        case 7: showHelp(topic::Conteudo); break;
        case 9: onExit(); break;
        default: break;  // separators
    }
}

void MainWindow::onPrintMenuItem(int index) {
    if (index == 1) onPrintDeclaration();
    if (index == 2) onPrintReceipt();
}

bool MainWindow::confirmExit() {
    if (prompts_.show(question("Confirmação", "Deseja sair do programa ?", Answer::Yes)) != Answer::Yes) {
        enableAllCommands();
        return false;
    }
    closeWindowTitled(kHelpWindowTitle);
    QCoreApplication::processEvents();
    return true;
}

void MainWindow::onExit() {
    if (!confirmExit()) return;
    exitConfirmed_ = true;
    close();
    emit exitConfirmed();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (exitConfirmed_) {
        event->accept();
        return;
    }
    // A screen open in the main window holds the program, as a modal window would: its own close comes first.
    if (hasOpenScreen()) {
        event->ignore();
        if (QMdiSubWindow* sub = mdi_->subWindowList().constFirst()) mdi_->setActiveSubWindow(sub);
        return;
    }
    if (!confirmExit()) {
        event->ignore();
        return;
    }
    exitConfirmed_ = true;
    event->accept();
    emit exitConfirmed();
}

}  // namespace kova::app
