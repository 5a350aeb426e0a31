#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

std::string quoted(const std::string& arg)
{
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string slurp(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs the built command as a script would.
Outcome run(const std::vector<std::string>& args)
{
    const auto dir = std::filesystem::temp_directory_path();
    const auto out = dir / ("velmora-cli-out-" + std::to_string(::getpid()));
    const auto err = dir / ("velmora-cli-err-" + std::to_string(::getpid()));
    std::string command = VELMORA_CLI;
    for (const auto& a : args) command += " " + quoted(a);
    command += " >" + out.string() + " 2>" + err.string();
    const int raw = std::system(command.c_str());
    Outcome o{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return o;
}

std::filesystem::path writeFile(const std::string& name, const std::string& bytes)
{
    const auto path = std::filesystem::temp_directory_path() / ("velmora-" + std::to_string(::getpid()) + "-" + name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

struct SuccessCase {
    std::vector<std::string> args;
    std::string json;
};

TEST(Cli, PrintsOneJsonLine)
{
    const std::string worked =
        R"({"result":"BDAB","length":4,"calls":22,"label4":"长度①：4","label5":"22","table":[[1,1,1],[3,2,2],[6,3,3],[8,6,5]],)"
        R"("aux":[[1,0,0],[2,0,0],[0,1,0],[0,1,0]],"upper_gaps":[1,3,4],"lower_gaps":[3,6]})";
    const SuccessCase cases[] = {
        {{"length", "ABCBDAB", "BDCABA"}, R"({"length":4,"calls":24})"},
        {{"length", "--engine", "literal", "BDCABA", "ABCBDAB"}, R"({"length":4,"calls":26})"},
        {{"length", "程序设计", "设计程序"}, R"({"length":2,"calls":5})"},
        {{"length", "DBADDCDABBCACDCDACACACCCCBDDCD", "BBDDBBACADACBCDDDBDCDDDBCCDCDA"},
         R"({"length":17,"calls":212060770})"},
        {{"length", "--no-count-limit", std::string(100, 'A') + "B", "B" + std::string(100, 'A')},
         R"({"length":100,"calls":3})"},
        {{"align", "--compute", "1", "ABCBDAB", "BDCABA"}, worked},
        {{"align", "--engine", "literal", "--compute", "1", "ABCBDAB", "BDCABA"}, worked},
        {{"align", "--compute", "2", "", ""},
         R"({"result":"","length":0,"calls":0,"label4":"长度②：0","label5":"0","table":[[1,1,1]],"aux":[[0,0,0]],)"
         R"("upper_gaps":[],"lower_gaps":[]})"},
        {{"align", "--compute", "1", "--", "-a\"\\", "-a\"\\"},
         R"({"result":"-a\"\\","length":4,"calls":0,"label4":"长度①：4","label5":"0","table":[[5,5,5]],"aux":[[0,0,0]],)"
         R"("upper_gaps":[],"lower_gaps":[]})"},
        {{"align", "--compute", "1", "😀b", "😁b"},
         R"({"result":"\ud83db","length":2,"calls":1,"label4":"长度①：2","label5":"1","table":[[2,2,2],[4,4,3]],)"
         R"("aux":[[1,1,0],[0,0,0]],"upper_gaps":[2],"lower_gaps":[2]})"},
        {{"lookup", "--compute", "1", "--box", "RT1", "--start", "3", "ABCBDAB", "BDCABA"},
         R"({"row":2,"selections":[["RT1",2,2],["RT3",1,0],["RT2",1,0]],"focus":"RT2"})"},
        {{"lookup", "--compute", "1", "--box", "RT1", "--start", "1", "--length", "3", "ABCBDAB", "BDCABA"},
         R"({"row":1,"selections":[["RT1",1,1],["RT2",0,1],["RT3",0,1]],"focus":null})"},
        {{"lookup", "--compute", "1", "--box", "RT3", "--start", "3", "ABCBDAB", "BDCABA"},
         R"({"row":3,"selections":[["RT3",3,1],["RT1",6,1],["RT2",4,1]],"focus":"RT2"})"},
        {{"lookup", "--compute", "1", "--box", "RT3", "--start", "3", "--button", "2", "ABCBDAB", "BDCABA"},
         R"({"ignored":true})"},
        {{"lookup", "--compute", "2", "--box", "RT2", "--start", "0", "--length", "0", "ABCBDAB", "BDCABA"},
         R"({"ignored":true})"},
    };
    for (const SuccessCase& c : cases) {
        const Outcome o = run(c.args);
        EXPECT_EQ(o.status, 0) << c.args[1] << o.err;
        EXPECT_EQ(o.out, c.json + "\n") << c.args[1];
        EXPECT_EQ(o.err, "");
    }
}

TEST(Cli, ReadsFilesWhole)
{
    const auto upper = writeFile("upper", "ab\n");
    const auto lower = writeFile("lower", "ax\n");
    const Outcome o = run({"align", "--files", "--compute", "1", upper.string(), lower.string()});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.out.find(R"("result":"a\n")"), std::string::npos) << o.out;
    std::filesystem::remove(upper);
    std::filesystem::remove(lower);
}

struct FailureCase {
    std::vector<std::string> args;
    int status;
    std::string message;  // part of stderr
};

TEST(Cli, ReportsBadInputWithoutOutput)
{
    const auto invalid = writeFile("invalid", "a\xC0\xAF");
    const std::string tooLong(32767, 'a');
    const std::string costly = "DBADDCDABBCACDCDACACACCCCBDDCD", costlyPartner = "BBDDBBACADACBCDDDBDCDDDBCCDCDA";
    const FailureCase cases[] = {
        {{}, 2, "no command"},
        {{"compare", "a", "b"}, 2, "unknown command"},
        {{"length", "a"}, 2, "expected two texts"},
        {{"length", "--engine", "quick", "a", "b"}, 2, "--engine takes"},
        {{"length", "--compute", "1", "a", "b"}, 2, "does not apply"},
        {{"align", "a", "b"}, 2, "--compute"},
        {{"align", "--compute", "3", "a", "b"}, 2, "--compute takes"},
        {{"lookup", "--compute", "1", "--box", "RT4", "--start", "0", "a", "b"}, 2, "--box"},
        {{"lookup", "--compute", "1", "--box", "RT1", "a", "b"}, 2, "--start"},
        {{"lookup", "--compute", "1", "--box", "RT1", "--start", "-1", "a", "b"}, 2, "--start takes"},
        {{"length", "--files", "/nonexistent/velmora", "b"}, 2, "cannot read"},
        {{"length", "--files", "/tmp", "b"}, 2, "folder"},
        {{"length", "--files", invalid.string(), invalid.string()}, 2, "not valid UTF-8 (byte 1)"},
        {{"length", "\xED\xA0\x80", "b"}, 2, "not valid UTF-8"},
        {{"length", tooLong, "a"}, 3, "32,766"},
        {{"align", "--compute", "2", "", tooLong}, 3, "32,766"},
        {{"length", costly + costly, costlyPartner + costlyPartner}, 3, "2,147,483,647"},
        {{"align", "--compute", "1", costly + costly, costlyPartner + costlyPartner}, 3, "2,147,483,647"},
    };
    for (const FailureCase& c : cases) {
        const Outcome o = run(c.args);
        const std::string name = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(o.status, c.status) << name << " " << o.err;
        EXPECT_EQ(o.out, "") << name;
        EXPECT_NE(o.err.find(c.message), std::string::npos) << name << ": " << o.err;
    }
    std::filesystem::remove(invalid);
}

}  // namespace
