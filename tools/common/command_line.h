#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tramlet::tools {

// The command line of one of the tools, read against the options it
// declares, with the conventions all of them share: --help or -h prints the
// help on stdout (exit 0); an unknown option, a missing or bad value is a
// usage error on stderr (exit 2); a failure is an error on stderr (exit 1).
// "--" ends the options; "--name=value" and "--name value" are the same.
class CommandLine {
  public:
    CommandLine(std::string program, std::string help);

    // An option without a value; any of its names ("-q", "--quiet") sets it.
    CommandLine& Flag(std::vector<std::string> names, bool& on);
    // An option with a value, taken by `take`; when it refuses the value, or
    // none follows, the usage error says the option wants `wants`.
    CommandLine& Option(std::string name, std::string wants,
                        std::function<bool(const std::string&)> take);

    // Reads argv[first..argc). Nothing when the tool goes on; otherwise the
    // exit status to end with at once (help printed, or a usage error).
    std::optional<int> Parse(int argc, char** argv, int first = 1);
    const std::vector<std::string>& Operands() const { return operands_; }

    // Prints "program: message" and the hint to --help on stderr; returns 2.
    int UsageError(const std::string& message) const;
    // Prints "program: message" on stderr; returns 1.
    int Error(const std::string& message) const;
    // Prints the help on stdout; returns 0.
    int Help() const;

  private:
    struct Declared {
        std::vector<std::string> names;
        bool* flag = nullptr;
        std::string wants;
        std::function<bool(const std::string&)> take;
    };
    const Declared* Find(const std::string& name) const;

    std::string program_;
    std::string help_;
    std::vector<Declared> declared_;
    std::vector<std::string> operands_;
};

}  // namespace tramlet::tools
