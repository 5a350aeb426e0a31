#include <iostream>
#include <sstream>
#include <unistd.h>

#include "cli/cli.h"
#include "cli/output.h"

int main(int argc, char** argv)
{
    std::ostringstream out;
    const int status = velmora::runCli(std::vector<std::string>(argv + 1, argv + argc), out, std::cerr);
    if (const std::string failure = velmora::writeAll(STDOUT_FILENO, out.str()); !failure.empty()) {
        std::cerr << "velmora-cli: cannot write the output: " << failure << '\n';
        return velmora::kExitFailure;
    }
    return status;
}
