#include "batch/batchcommand.h"

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char *argv[])
{
    std::ios::sync_with_stdio(false);
    // A reader that closes the pipe (| head) makes that output fail like a full disk: reported,
    // and the other files and their temporaries cleaned up, instead of a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return Demagora::runBatchCommand(arguments, std::cout, std::cerr);
}
