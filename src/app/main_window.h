// MainWindow: the main window. Menus, toolbar, the child screens inside it, help and the exit question.
#pragma once

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <functional>
#include <optional>

#include "app/screen_host.h"
#include "core/ports.h"

class QMdiArea;
class QMdiSubWindow;
class QToolButton;

namespace kova::app {

struct ProgramContext;
class HelpLauncher;

// The screens the commands open.
enum class ScreenKind { Import, Transmission, PrintDeclaration, PrintReceipt };

class MainWindow : public QMainWindow, public ScreenHost {
    Q_OBJECT
public:
    using ScreenFactory = std::function<QWidget*(MainWindow&)>;

    MainWindow(ProgramContext& context, Prompts& prompts, HelpLauncher& help, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shared operations of the screens.
    void disableMenus() override;
    void enableMenus() override;
    void enableAllCommands();
    void disableAllCommands();
    void centreScreen(QWidget* screen) override;
    void showHelp(std::optional<int> topic = std::nullopt) override;
    // Posts a close request to the visible top-level window with exactly this title; true when there was one.
    static bool closeWindowTitled(const QString& title);

    // A screen's factory; a command whose screen has none (or whose factory gives none) opens nothing.
    void setScreenFactory(ScreenKind kind, ScreenFactory factory);
    // Opens a screen as a child window (switching the commands off until it closes); nullptr when not available.
    QWidget* openScreen(ScreenKind kind);
    // Puts a screen into a child window of the main window and shows it in the middle.
    QMdiSubWindow* showChild(QWidget* screen);
    QMdiArea* mdiArea() const { return mdi_; }
    bool hasOpenScreen() const;

    // The commands by their names (menu items: "MnuValidar", ...), and the toolbar buttons by index (1..9).
    QAction* command(const QString& name) const;
    QAction* toolbarButton(int index) const;
    QToolButton* printButton() const { return printButton_; }
    // The menu items switched by disableMenus/enableMenus followed by every toolbar button.
    QList<QAction*> switchedCommands() const;

    ProgramContext& context() { return context_; }
    Prompts& prompts() { return prompts_; }

    // Command handlers (menu items; the toolbar calls the same ones).
    void onImport();
    void onTransmit();
    void onPrintDeclaration();
    void onPrintReceipt();
    void onPrinterSetup();
    void onAbout();
    // The check-up of the installation, from the "Ajuda" menu.
    void onCheckup();
    void onExit();
    // Toolbar: the button by index, and the items of the "Imprimir" drop-down (1 declaration, 2 receipt).
    void onToolbarButton(int index);
    void onPrintMenuItem(int index);

signals:
    // The person confirmed the exit: the program ends.
    void exitConfirmed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    QAction* addCommand(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& shortcut,
                        std::function<void()> handler);
    void setCommandsEnabled(bool enabled);
    // "Deseja sair do programa ?": Yes closes the help window and returns true; No switches all commands on.
    bool confirmExit();

    ProgramContext& context_;
    Prompts& prompts_;
    HelpLauncher& help_;
    QMdiArea* mdi_;
    QMap<QString, QAction*> commands_;
    QList<QAction*> toolbar_;  // index 1..9 at positions 0..8
    QToolButton* printButton_ = nullptr;
    QMap<ScreenKind, ScreenFactory> factories_;
    bool exitConfirmed_ = false;
};

}  // namespace kova::app
