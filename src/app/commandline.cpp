#include "app/commandline.h"

#include "version/version.h"

namespace Demagora {

namespace {

bool isOption(const std::string &argument)
{
    return argument.size() > 1 && argument.front() == '-';
}

} // namespace

ProgramCommandLine::Action informationRequest(std::span<const std::string> arguments)
{
    for (const std::string &argument : arguments) {
        if (argument == "--")
            break;
        if (argument == "--help" || argument == "-h")
            return ProgramCommandLine::Action::Help;
        if (argument == "--version")
            return ProgramCommandLine::Action::Version;
    }
    return ProgramCommandLine::Action::Start;
}

ProgramCommandLine readProgramCommandLine(std::span<const std::string> arguments)
{
    ProgramCommandLine commandLine;
    commandLine.action = informationRequest(arguments);
    if (commandLine.action != ProgramCommandLine::Action::Start)
        return commandLine;

    bool optionsEnded = false;
    for (const std::string &argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && isOption(argument)) {
            commandLine.action = ProgramCommandLine::Action::Refuse;
            commandLine.refusal = "unknown option '" + argument + "'";
            return commandLine;
        }
        if (commandLine.scenarioPath) {
            commandLine.action = ProgramCommandLine::Action::Refuse;
            commandLine.refusal
                = "only one scenario file can be given (also got '" + argument + "')";
            return commandLine;
        }
        commandLine.scenarioPath = argument;
    }
    return commandLine;
}

std::string programUsage()
{
    return "Usage: demagora [OPTION]... [SCENARIO.json]\n"
           "Opens the main window of Demagora, which simulates the stepwise thermal\n"
           "demagnetization of a rock sample made of several magnetization components.\n"
           "SCENARIO.json, when given, is the scenario file to open in it.\n"
           "\n"
           "  -h, --help       prints this help and exits\n"
           "      --version    prints the version and exits\n"
           "  --               ends the options: what follows is the file name\n"
           "\n"
           "The options of Qt (-platform NAME, -style NAME, ...) are accepted as well.\n"
           "For runs without a window, see demagora-batch --help.\n"
           "\n"
           "Exit status:\n"
           "  0  the main window was closed, or the help or the version was printed\n"
           "  2  bad command line: an unknown option or more than one file\n";
}

std::string programVersion()
{
    return std::string("demagora (Demagora) ") + ProgramVersion + "\n";
}

} // namespace Demagora
