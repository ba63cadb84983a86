#include "cli/batch_support.h"

#include <cstdlib>
#include <iostream>
#include <system_error>

namespace kova::cli {

Answer BatchPrompts::show(const Message& message) {
    std::cerr << message.title << ": " << message.text << "\n";
    if (!yesTitle_.empty() && message.title == yesTitle_) {
        std::cerr << "(Sim)\n";
        return Answer::Yes;
    }
    switch (message.buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::OkCancel:
            std::cerr << "(Cancelar)\n";
            return Answer::Cancel;
        case Buttons::YesNo:
            std::cerr << "(Não)\n";
            return Answer::No;
    }
    return Answer::Cancel;
}

std::filesystem::path programFolderOr(const std::optional<std::filesystem::path>& given) {
    if (given) return *given;
    if (const char* env = std::getenv("KOVA_PASTA"); env && *env) return env;
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path(ec) : self.parent_path();
}

}  // namespace kova::cli
