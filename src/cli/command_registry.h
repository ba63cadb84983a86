// kova-cli's sub-commands register themselves here, one file pair per command.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kova::cli {

// Exit status of a command: 0 done, 1 errors found / refused by the check, 2 refused with a message, 3 failure.
using CommandFn = std::function<int(const std::vector<std::string>& args)>;

struct Command {
    std::string summary;  // one line for --help
    CommandFn run;
};

std::map<std::string, Command>& commands();

struct RegisterCommand {
    RegisterCommand(const std::string& name, const std::string& summary, CommandFn run) {
        commands()[name] = Command{summary, std::move(run)};
    }
};

}  // namespace kova::cli
