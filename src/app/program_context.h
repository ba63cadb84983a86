// The program-wide values of the desktop program (program folder, version text, the main window's answer field,
// the session's printer), kept in one object that start-up creates and the screens are given.
#pragma once

#include <QString>

#include "app/session_printer.h"
#include "print/printer_check.h"

namespace kova::app {

// "Versão 3.0 - 16/02/2007": major and minor in decimal, without leading zeros.
QString versionText(int major, int minor);
QString programVersionText();

inline const QString kProgramTitle = QStringLiteral("KOVA Não-Incidência");
inline const QString kMainWindowTitle = QStringLiteral("KOVA Não-Incidência 3.0");
inline const QString kHelpWindowTitle = QStringLiteral("Ajuda KOVA Não-Incidência - Versão 3.0");

struct ProgramContext {
    QString programFolder;  // always ends with "/"
    QString versionText = programVersionText();
    // The main window's answer field: true ("1") once a declaration has been generated in this session.
    bool declarationGenerated = false;
    // Set while the import screen is open.
    bool importScreenOpen = false;
    SessionPrinter printer;
    // What the printer probe found; cleared when the program starts.
    print::PrinterFlags printerFlags;
};

}  // namespace kova::app
