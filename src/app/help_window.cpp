#include "app/help_window.h"

#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/program_context.h"
#include "app/window_placement.h"
#include "core/program_folder_setup.h"

namespace kova::app {

QString helpPageName(std::optional<int> topicNumber) {
    return QStringLiteral("topico-%1.html").arg(topicNumber.value_or(topic::Conteudo));
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("main"));
    setWindowTitle(kHelpWindowTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(720, 560);
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

void HelpWindow::showPage(const QString& path) {
    browser_->setSource(QUrl::fromLocalFile(path));
}

QString HelpWindow::currentPage() const { return browser_->source().toLocalFile(); }

HelpLauncher::HelpLauncher(QString programFolder, QString executableFolder) {
    candidates_ << QDir(programFolder).filePath(QStringLiteral("ajuda"))
                << QDir(executableFolder).filePath(QStringLiteral("ajuda"));
    if (const auto installed = installedDataFolder(executableFolder.toStdString()))
        candidates_ << QDir(QString::fromStdString(installed->string())).filePath(QStringLiteral("ajuda"));
}

HelpLauncher::~HelpLauncher() {
    if (window_) delete window_.data();
}

QString HelpLauncher::helpFolder() const {
    for (const QString& folder : candidates_) {
        if (QFileInfo::exists(QDir(folder).filePath(helpPageName(std::nullopt)))) return folder;
    }
    return {};
}

bool HelpLauncher::Show(std::optional<int> topicNumber) {
    const QString folder = helpFolder();
    if (folder.isEmpty()) return false;
    const QString page = QDir(folder).filePath(helpPageName(topicNumber));
    if (!QFileInfo::exists(page)) return false;
    if (!window_) {
        window_ = new HelpWindow();
        // The first opening is over the main window; later the window stays where the person put it.
        if (QWidget* main = visibleMainWindow()) window_->move(centredOver(*window_, *main));
    }
    window_->showPage(page);
    window_->show();
    window_->raise();
    window_->activateWindow();
    return true;
}

}  // namespace kova::app
