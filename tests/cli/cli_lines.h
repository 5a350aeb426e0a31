#pragma once
// Running velmora-cli in the tests and reading its JSON lines back.

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace velmora {

// The lines a successful run prints.
inline std::vector<std::string> linesOf(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int status = runCli(args, out, err);
    EXPECT_EQ(status, 0) << err.str();
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The value of a key in one of our one-line objects (numbers, strings without escapes, booleans).
inline std::string field(const std::string& line, const std::string& key)
{
    const std::regex pattern("\"" + key + "\":(\"[^\"]*\"|[-0-9a-z]+)");
    std::smatch match;
    if (!std::regex_search(line, match, pattern)) return "";
    std::string value = match[1];
    if (value.front() == '"') value = value.substr(1, value.size() - 2);
    return value;
}

// An output that records, at each flush, how many lines it holds: for the commands that
// stream their lines.
struct LinesAtFlush : std::stringbuf {
    std::vector<std::size_t> lines;
    int sync() override
    {
        const std::string text = str();
        lines.push_back(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
        return 0;
    }
};

}  // namespace velmora
