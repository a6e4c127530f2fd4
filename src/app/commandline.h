#pragma once

#include <optional>
#include <span>
#include <string>

namespace Demagora {

// The command line of demagora, read without Qt so that --help and --version answer on a
// machine without a display. main() asks twice: once before the application object exists
// (help and version), once after Qt has taken out its own options (-platform, -style ...).
struct ProgramCommandLine
{
    enum class Action { Start, Help, Version, Refuse };

    Action action = Action::Start;
    std::optional<std::string> scenarioPath;
    std::string refusal; // what is wrong, for Action::Refuse
};

// Whether the arguments after the program name ask for the help or the version text; the
// first such option before "--" wins. Any other argument is left to readProgramCommandLine.
ProgramCommandLine::Action informationRequest(std::span<const std::string> arguments);

// Reads the arguments that remain after Qt's own: at most one scenario file, help and version.
ProgramCommandLine readProgramCommandLine(std::span<const std::string> arguments);

// The texts of --help and --version.
std::string programUsage();
std::string programVersion();

} // namespace Demagora
