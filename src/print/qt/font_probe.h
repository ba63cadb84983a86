// Which of the documents' fonts can really be printed here. On Linux fontconfig answers a family it does not
// have with a substitute; only a substitute with the same character widths keeps the columns of the layout.
#pragma once

#include <QString>

namespace kova::print {

struct FontResolution {
    bool usable = false;
    bool exact = false;       // the family itself is installed
    QString resolvedFamily;   // what text in this family is drawn with
};

// Needs a QGuiApplication.
FontResolution resolveFont(const QString& family);

// One line per document font: "Courier New: Liberation Mono (substituta com as mesmas medidas)", ...
QString describeDocumentFonts();

}  // namespace kova::print
