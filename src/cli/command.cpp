#include "cli/command.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <set>
#include <system_error>

#include "core/program_folder_setup.h"

namespace kova::cli {

namespace fs = std::filesystem;

namespace {

std::string optionWithValue(const Option& option) {
    std::string text(option.name);
    if (!option.value.empty()) text.append(" ").append(option.value);
    return text;
}

// "  NAME  help", the help's continuation lines under its first.
void appendEntry(std::string& out, std::string_view name, std::string_view help, std::size_t width) {
    const std::string indent(width + 4, ' ');
    out.append("  ").append(name).append(width - name.size() + 2, ' ');
    for (std::size_t start = 0;;) {
        const std::size_t end = help.find('\n', start);
        out.append(help.substr(start, end - start)).append("\n");
        if (end == std::string_view::npos) break;
        out.append(indent);
        start = end + 1;
    }
}

const Option* findOption(const CommandDescription& command, std::string_view name) {
    const auto it = std::find_if(command.options.begin(), command.options.end(),
                                 [&](const Option& option) { return option.name == name; });
    return it == command.options.end() ? nullptr : &*it;
}

// The first option of the group of alternatives `option` belongs to ("[--pdf SAIDA.pdf | --texto]"); nullptr
// when it is alone.
const Option* groupOf(const CommandDescription& command, const Option& option) {
    const Option* first = &option;
    while (first->orPrevious) --first;
    const bool last = first == &command.options.back();
    return first != &option || (!last && (first + 1)->orPrevious) ? first : nullptr;
}

// "--pdf e --texto", "--pdf, --texto e --resumo".
std::string groupNames(const CommandDescription& command, const Option* first) {
    std::string names(first->name);
    for (const Option* o = first + 1; o <= &command.options.back() && o->orPrevious; ++o) {
        const bool lastOfGroup = o == &command.options.back() || !(o + 1)->orPrevious;
        names.append(lastOfGroup ? " e " : ", ").append(o->name);
    }
    return names;
}

}  // namespace

std::string usageText(const CommandDescription& command) {
    std::string out = "Uso: kova-cli ";
    out.append(command.name);
    if (!command.operand.empty()) out.append(" ").append(command.operand);
    for (const Option& option : command.options) {
        if (option.orPrevious)
            out.insert(out.size() - 1, " | " + optionWithValue(option));
        else if (option.required)
            out.append(" ").append(optionWithValue(option));
        else
            out.append(" [").append(optionWithValue(option)).append("]");
    }
    out.append("\n").append(command.purpose).append("\n");

    std::size_t width = command.operandHelp.empty() ? 0 : command.operand.size();
    for (const Option& option : command.options) width = std::max(width, option.name.size());
    if (!command.operandHelp.empty()) appendEntry(out, command.operand, command.operandHelp, width);
    for (const Option& option : command.options) appendEntry(out, option.name, option.help, width);
    if (!command.notes.empty()) out.append(command.notes).append("\n");

    out.append("Saída:");
    const char* separator = " ";
    for (std::size_t status = 0; status < command.exits.size(); ++status) {
        if (command.exits[status].empty()) continue;
        out.append(separator).append(std::to_string(status)).append(" ").append(command.exits[status]);
        separator = ", ";
    }
    return out.append(".\n");
}

ExitStatus refuseUsage(const CommandDescription& command, std::string_view message) {
    if (!message.empty()) std::cerr << message << "\n";
    std::cerr << usageText(command);
    return ExitStatus::Refused;
}

ExitStatus refuseArgument(const CommandDescription& command, std::string_view argument) {
    return refuseUsage(command, "Argumento inválido: " + std::string(argument));
}

std::optional<std::string> Arguments::value(std::string_view option) const {
    const auto it = given_.find(option);
    if (it == given_.end()) return std::nullopt;
    return it->second;
}

std::optional<fs::path> Arguments::namedProgramFolder() const {
    if (auto given = value(kProgramFolderOption)) return fs::path(*given);
    if (const char* env = std::getenv("KOVA_PASTA"); env && *env) return fs::path(env);
    return std::nullopt;
}

fs::path Arguments::programFolder() const {
    if (auto named = namedProgramFolder()) return *named;
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path(ec) : defaultProgramFolder(self.parent_path());
}

std::optional<Arguments> Arguments::parse(const CommandDescription& command, const std::vector<std::string>& args,
                                          bool& help) {
    Arguments parsed;
    std::set<const Option*> groupsTaken;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
            return parsed;
        }
        const Option* option = findOption(command, arg);
        if (option == nullptr) {
            const bool operandTaken = !parsed.operands_.empty() && !command.manyOperands;
            if (arg.empty() || arg.front() == '-' || command.operand.empty() || operandTaken) {
                refuseArgument(command, arg);
                return std::nullopt;
            }
            parsed.operands_.push_back(arg);
            continue;
        }
        if (const Option* group = groupOf(command, *option); group && !groupsTaken.insert(group).second) {
            refuseUsage(command, "Use apenas uma de " + groupNames(command, group) + ".");
            return std::nullopt;
        }
        std::string value;
        if (!option->value.empty()) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                refuseArgument(command, arg);
                return std::nullopt;
            }
            value = args[++i];
        }
        parsed.given_[arg] = value;
    }
    if (!command.operand.empty() && parsed.operands_.empty()) {
        refuseUsage(command, command.missingOperand);
        return std::nullopt;
    }
    return parsed;
}

std::map<std::string_view, Command>& commands() {
    static std::map<std::string_view, Command> all;
    return all;
}

ExitStatus runCommand(const Command& command, const std::vector<std::string>& args) {
    bool help = false;
    const std::optional<Arguments> arguments = Arguments::parse(*command.description, args, help);
    if (help) {
        std::cout << usageText(*command.description);
        return ExitStatus::Done;
    }
    return arguments ? command.run(*arguments) : ExitStatus::Refused;
}

}  // namespace kova::cli
