// kova-cli: the batch front end. Sub-commands live in their own files and register in cli/command.h.
#include <exception>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/command.h"
#include "kova_build_info.h"

namespace {

using kova::cli::ExitStatus;

void printUsage(std::ostream& out) {
    out << "Uso: kova-cli COMANDO [opções]\n\nComandos:\n";
    for (const auto& [name, command] : kova::cli::commands())
        out << "  " << name << std::string(name.size() < 12 ? 12 - name.size() : 1, ' ')
            << command.description->summary << "\n";
    out << "\nUse kova-cli COMANDO --help para as opções de cada comando e kova-cli --version para a versão.\n";
}

// Passes stderr through and notes whether anything was said, so that no failure ends without a word.
class WatchedStream : public std::streambuf {
public:
    explicit WatchedStream(std::ostream& stream) : stream_(stream), target_(stream.rdbuf(this)) {}
    ~WatchedStream() override { stream_.rdbuf(target_); }
    WatchedStream(const WatchedStream&) = delete;
    WatchedStream& operator=(const WatchedStream&) = delete;
    bool written() const { return written_; }

protected:
    int overflow(int c) override {
        written_ = true;
        return c == traits_type::eof() ? traits_type::not_eof(c) : target_->sputc(static_cast<char>(c));
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        written_ = written_ || count > 0;
        return target_->sputn(text, count);
    }
    int sync() override { return target_->pubsync(); }

private:
    std::ostream& stream_;
    std::streambuf* target_;
    bool written_ = false;
};

ExitStatus run(const std::string& name, const std::vector<std::string>& args) {
    if (name == "--version") {
        std::cout << "kova-cli " << KOVA_VERSION_TEXT << " (build " << KOVA_BUILD_ID << ")\n";
        return ExitStatus::Done;
    }
    if (name == "--help" || name == "-h") {
        printUsage(std::cout);
        return ExitStatus::Done;
    }
    const auto& all = kova::cli::commands();
    const auto it = all.find(name);
    if (it == all.end()) {
        std::cerr << "Comando desconhecido: " << name << "\n";
        printUsage(std::cerr);
        return ExitStatus::Refused;
    }
    WatchedStream stderrWatch(std::cerr);
    ExitStatus status = ExitStatus::Failure;
    try {
        status = kova::cli::runCommand(it->second, args);
    } catch (const std::exception& e) {
        std::cerr << "Falha: " << e.what() << "\n";
    }
    if (status == ExitStatus::Failure && !stderrWatch.written())
        std::cerr << "Falha: o comando " << name << " não foi concluído.\n";
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        printUsage(std::cerr);
        return static_cast<int>(ExitStatus::Refused);
    }
    return static_cast<int>(run(argv[1], std::vector<std::string>(argv + 2, argv + argc)));
}
