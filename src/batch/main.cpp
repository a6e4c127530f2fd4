#include "batch/batchcommand.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char *argv[])
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return Demagora::runBatchCommand(arguments, std::cout, std::cerr);
}
