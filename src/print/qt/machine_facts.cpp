#include "print/qt/machine_facts.h"

#include <QLocale>
#include <QPrinterInfo>

#include "print/printer_check.h"
#include "print/qt/font_probe.h"

namespace kova::print {

MachineFacts gatherMachineFacts() {
    MachineFacts facts;
    for (const char* family : {kCourierNew, kCourier, kArial}) {
        const FontResolution resolution = resolveFont(QString::fromLatin1(family));
        facts.fonts.push_back({family, resolution.usable, resolution.exact, resolution.resolvedFamily.toStdString()});
    }
    facts.defaultPrinter = QPrinterInfo::defaultPrinterName().toStdString();
    facts.pdfOutput = true;  // Qt's own PDF writer, always built in
    const QLocale locale = QLocale::system();
    facts.shortDateFormat = locale.dateFormat(QLocale::ShortFormat).toStdString();
    facts.timeFormat = locale.timeFormat(QLocale::LongFormat).toStdString();
    facts.localeName = locale.name().toStdString();
    return facts;
}

}  // namespace kova::print
