#include "command_line.h"

#include <algorithm>
#include <cstdio>

namespace tramlet::tools {

CommandLine::CommandLine(std::string program, std::string help)
    : program_(std::move(program)), help_(std::move(help)) {}

CommandLine& CommandLine::Flag(std::vector<std::string> names, bool& on) {
    declared_.push_back({std::move(names), &on, {}, {}});
    return *this;
}

CommandLine& CommandLine::Option(std::string name, std::string wants,
                                 std::function<bool(const std::string&)> take) {
    declared_.push_back({{std::move(name)}, nullptr, std::move(wants), std::move(take)});
    return *this;
}

const CommandLine::Declared* CommandLine::Find(const std::string& name) const {
    const auto found = std::find_if(declared_.begin(), declared_.end(), [&](const Declared& d) {
        return std::find(d.names.begin(), d.names.end(), name) != d.names.end();
    });
    return found == declared_.end() ? nullptr : &*found;
}

std::optional<int> CommandLine::Parse(int argc, char** argv, int first) {
    bool optionsEnded = false;
    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            operands_.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h")
            return Help();
        const size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
        const std::string name = arg.substr(0, equals);
        const Declared* option = Find(name);
        if (!option)
            return UsageError("unknown option " + name);
        if (option->flag) {
            if (equals != std::string::npos)
                return UsageError(name + " takes no value");
            *option->flag = true;
            continue;
        }
        std::optional<std::string> value;
        if (equals != std::string::npos)
            value = arg.substr(equals + 1);
        else if (i + 1 < argc)
            value = argv[++i];
        if (!value || !option->take(*value))
            return UsageError(name + " wants " + option->wants);
    }
    return std::nullopt;
}

int CommandLine::UsageError(const std::string& message) const {
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", program_.c_str(), message.c_str(),
                 program_.c_str());
    return 2;
}

int CommandLine::Error(const std::string& message) const {
    std::fprintf(stderr, "%s: %s\n", program_.c_str(), message.c_str());
    return 1;
}

int CommandLine::Help() const {
    std::fputs(help_.c_str(), stdout);
    return 0;
}

}  // namespace tramlet::tools
