#pragma once

#include <string>
#include <vector>

namespace tramlet::test {

struct CommandResult {
    int exitCode = -1;  // -1 when the program could not be started or was killed
    std::string out;
    std::string err;
};

// Runs a program (looked up on PATH unless the name holds a '/') with the
// given arguments, without a shell, and collects what it prints.
CommandResult RunCommand(const std::vector<std::string>& argv);

// Whether a program can be found on PATH.
bool HasProgram(const std::string& name);

}  // namespace tramlet::test
