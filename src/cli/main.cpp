#include <iostream>
#include <ostream>
#include <unistd.h>

#include "cli/cli.h"
#include "cli/output.h"

int main(int argc, char** argv)
{
    velmora::DescriptorOutput stdoutBuffer(STDOUT_FILENO);
    std::ostream out(&stdoutBuffer);
    const int status = velmora::runCli(std::vector<std::string>(argv + 1, argv + argc), out, std::cerr);
    out.flush();
    if (!stdoutBuffer.failure().empty()) {
        std::cerr << "velmora-cli: cannot write the output: " << stdoutBuffer.failure() << '\n';
        return velmora::kExitFailure;
    }
    return status;
}
