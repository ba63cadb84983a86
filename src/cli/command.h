// What every kova-cli sub-command is made of: its declared options, from which the parsing, --help, the usage
// text and the refusal of a wrong argument all come, and the exit status it ends with. Each command registers
// itself from its own file.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kova::cli {

// The exit status of every sub-command.
enum class ExitStatus {
    Done = 0,
    ErrorsFound = 1,  // errors were recorded, or a check of the file (seals, receipt) failed
    Refused = 2,      // refused with a message, a wrong argument included; nothing was changed
    Failure = 3,      // the program or the machine failed; a message on stderr says what
};

struct Option {
    std::string_view name{};   // "--pasta"
    std::string_view value{};  // its value in the usage line ("PASTA"); empty for a switch
    std::string_view help{};   // its line in --help; a '\n' starts a continuation line
    bool required = false;   // shown without brackets: the command refuses to run without it
    bool orPrevious = false;  // this one or the options before it, once: "[--pdf SAIDA.pdf | --texto]"
};

inline constexpr std::string_view kProgramFolderOption = "--pasta";
inline constexpr std::string_view kProgramFolderHelp =
    "a pasta do programa, com KOVALDDB.MDB (padrão: $KOVA_PASTA, senão a pasta do kova-cli;\n"
    "instalado, a pasta de cada usuário ~/.local/share/kova)";

// --pasta with the help line of the commands that work on the program folder's work database.
constexpr Option programFolderOption(std::string_view help = kProgramFolderHelp) {
    return Option{.name = kProgramFolderOption, .value = "PASTA", .help = help};
}

struct CommandDescription {
    std::string_view name{};
    std::string_view summary{};  // its line in kova-cli --help
    std::string_view purpose{};  // the lines under the usage line
    std::string_view operand{};  // the file the command works on ("ARQUIVO.DEC"), required; empty: none
    bool manyOperands = false;   // the operand may be given more than once ("ARQUIVO...")
    std::string_view operandHelp{};     // listed with the options when not empty
    std::string_view missingOperand{};  // said before the usage when the operand is missing
    std::vector<Option> options{};
    std::string_view notes{};                 // lines after the options
    std::array<std::string_view, 4> exits{};  // what each ExitStatus means here; empty when it never ends so
};

// "Uso: ..." with the purpose, the options, the notes and the exit statuses.
std::string usageText(const CommandDescription& command);

// The message (when not empty) and the usage on stderr; the command then ends Refused.
ExitStatus refuseUsage(const CommandDescription& command, std::string_view message);
// "Argumento inválido: ARG" and the usage.
ExitStatus refuseArgument(const CommandDescription& command, std::string_view argument);

// The arguments of one run, checked against the command's options.
class Arguments {
public:
    bool has(std::string_view option) const { return given_.contains(option); }
    // The value of an option given with one; nullopt when the option was not given.
    std::optional<std::string> value(std::string_view option) const;
    // The first operand; the command's operands in the order given.
    const std::string& operand() const { return operands_.front(); }
    const std::vector<std::string>& operands() const { return operands_; }

    // The arguments as the command declares them. On --help (or -h) `help` is set and nothing else is checked;
    // on a wrong argument the reason and the usage go to stderr and the result is nullopt.
    static std::optional<Arguments> parse(const CommandDescription& command, const std::vector<std::string>& args,
                                          bool& help);

    // --pasta, else $KOVA_PASTA; nullopt when neither names a folder.
    std::optional<std::filesystem::path> namedProgramFolder() const;
    // The folder named, else the default of kova-cli's place (its own folder, or per user when installed).
    std::filesystem::path programFolder() const;

private:
    std::map<std::string, std::string, std::less<>> given_;
    std::vector<std::string> operands_;
};

using CommandRun = std::function<ExitStatus(const Arguments&)>;

struct Command {
    const CommandDescription* description;
    CommandRun run;
};

std::map<std::string_view, Command>& commands();

// Parses the arguments and runs the command: --help prints the usage on stdout, a wrong argument is refused.
ExitStatus runCommand(const Command& command, const std::vector<std::string>& args);

struct RegisterCommand {
    RegisterCommand(const CommandDescription& command, CommandRun run) {
        commands()[command.name] = Command{&command, std::move(run)};
    }
};

}  // namespace kova::cli
