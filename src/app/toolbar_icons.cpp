#include "app/toolbar_icons.h"

// The bundled pictures are compiled into a static library: they are registered by hand, once.
static void registerBundledPictures() {
    static const bool done = [] {
        Q_INIT_RESOURCE(kova);
        return true;
    }();
    (void)done;
}

namespace kova::app {

namespace {

struct IconNames {
    const char* theme;
    const char* bundled;
};

IconNames namesOf(ProgramIcon which) {
    switch (which) {
        case ProgramIcon::Import: return {"document-open", ":/kova/icons/importar.png"};
        case ProgramIcon::Print: return {"document-print", ":/kova/icons/imprimir.png"};
        case ProgramIcon::Transmit: return {"network-transmit", ":/kova/icons/transmitir.png"};
        case ProgramIcon::Help: return {"help-contents", ":/kova/icons/ajuda.png"};
        case ProgramIcon::Exit: return {"application-exit", ":/kova/icons/sair.png"};
        case ProgramIcon::Program: return {"kova", ":/kova/icons/kova.png"};
    }
    return {"", ""};
}

}  // namespace

QIcon programIcon(ProgramIcon which) {
    registerBundledPictures();
    const IconNames names = namesOf(which);
    const QIcon bundled(QString::fromLatin1(names.bundled));
    if (which == ProgramIcon::Program) return bundled;
    return QIcon::fromTheme(QString::fromLatin1(names.theme), bundled);
}

}  // namespace kova::app
