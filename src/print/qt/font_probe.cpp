#include "print/qt/font_probe.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

#include "print/printer_check.h"

namespace kova::print {

namespace {

// Families drawn with the same advance widths as the named one (the metric aliases fontconfig ships).
QStringList metricTwins(const QString& family) {
    if (family == QLatin1String(kCourierNew))
        return {"Liberation Mono", "Cousine"};
    if (family == QLatin1String(kCourier))  // same 0.6 em advance as Courier New
        return {"Courier New", "Nimbus Mono PS", "Nimbus Mono L", "TeX Gyre Cursor", "Liberation Mono", "Cousine"};
    if (family == QLatin1String(kArial))
        return {"Liberation Sans", "Arimo", "Nimbus Sans", "Nimbus Sans L", "Helvetica"};
    return {};
}

bool isMonospaceFamily(const QString& family) {
    return family == QLatin1String(kCourierNew) || family == QLatin1String(kCourier);
}

}  // namespace

FontResolution resolveFont(const QString& family) {
    FontResolution r;
    const QStringList installed = QFontDatabase::families();
    if (installed.contains(family, Qt::CaseInsensitive)) {
        r.usable = r.exact = true;
        r.resolvedFamily = family;
        return r;
    }
    QFont wanted(family);
    if (isMonospaceFamily(family)) wanted.setStyleHint(QFont::TypeWriter);
    const QFontInfo info(wanted);
    const QString got = info.family();
    if (metricTwins(family).contains(got, Qt::CaseInsensitive) && (!isMonospaceFamily(family) || info.fixedPitch())) {
        r.usable = true;
        r.resolvedFamily = got;
    }
    return r;
}

QString describeDocumentFonts() {
    QStringList lines;
    for (const char* family : {kCourierNew, kCourier, kArial}) {
        const FontResolution r = resolveFont(QString::fromLatin1(family));
        QString line = QString::fromLatin1(family) + QStringLiteral(": ");
        if (!r.usable)
            line += QStringLiteral("indisponível");
        else if (r.exact)
            line += QStringLiteral("instalada");
        else
            line += r.resolvedFamily + QStringLiteral(" (substituta com as mesmas medidas)");
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace kova::print
