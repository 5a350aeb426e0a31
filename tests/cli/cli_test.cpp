// The command line in-process: every command, exit status and class of message.

#include <gtest/gtest.h>

#include "common/row_name.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "cli/cli.h"

namespace {

using velmora::test::PrintTo;  // rows print as their names

using velmora::runCli;

struct Outcome {
    int status;
    std::string out, err;
};

Outcome run(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int status = runCli(args, out, err);
    return {status, out.str(), err.str()};
}

class TempFile {
public:
    TempFile(const std::string& name, const std::string& bytes)
        : path_(std::filesystem::temp_directory_path() / ("velmora-" + std::to_string(::getpid()) + "-" + name))
    {
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    ~TempFile() { std::filesystem::remove(path_); }
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

const std::string kWorked =
    R"({"result":"BDAB","length":4,"calls":22,"label4":"长度①：4","label5":"22","table":[[1,1,1],[3,2,2],[6,3,3],[8,6,5]],)"
    R"("aux":[[1,0,0],[2,0,0],[0,1,0],[0,1,0]],"upper_gaps":[1,3,4],"lower_gaps":[3,6]})";

// x a x a ... against a a ...: every x skipped doubles the invocations.
std::string alternating(int n)
{
    std::string text;
    for (int i = 0; i < n; ++i) text += "xa";
    return text;
}
const std::string kAlternating70 = alternating(70);

struct SuccessCase {
    const char* name;
    std::vector<std::string> args;
    std::string json;
};

class Succeeds : public testing::TestWithParam<SuccessCase> {};

TEST_P(Succeeds, WithOneJsonLine)
{
    const Outcome o = run(GetParam().args);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, GetParam().json + "\n");
    EXPECT_EQ(o.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cli, Succeeds,
    testing::Values(
        SuccessCase{"LengthOfTheWorkedPair", {"length", "ABCBDAB", "BDCABA"}, R"({"length":4,"calls":24})"},
        SuccessCase{"LiteralEngineOnExchangedTexts",
                    {"length", "--engine", "literal", "BDCABA", "ABCBDAB"},
                    R"({"length":4,"calls":26})"},
        SuccessCase{"ChineseText", {"length", "程序设计", "设计程序"}, R"({"length":2,"calls":5})"},
        SuccessCase{"TwoHundredMillionCalls",
                    {"length", "DBADDCDABBCACDCDACACACCCCBDDCD", "BBDDBBACADACBCDDDBDCDDDBCCDCDA"},
                    R"({"length":17,"calls":212060770})"},
        SuccessCase{"NoCountLimitOnACheapPair",
                    {"length", "--no-count-limit", std::string(100, 'A') + "B", "B" + std::string(100, 'A')},
                    R"({"length":100,"calls":3})"},
        SuccessCase{"AlignCompute1", {"align", "--compute", "1", "ABCBDAB", "BDCABA"}, kWorked},
        SuccessCase{"AlignWithTheLiteralEngine",
                    {"align", "--engine", "literal", "--compute", "1", "ABCBDAB", "BDCABA"},
                    kWorked},
        SuccessCase{"AlignTwoEmptyTexts",
                    {"align", "--compute", "2", "", ""},
                    R"({"result":"","length":0,"calls":0,"label4":"长度②：0","label5":"0","table":[[1,1,1]],)"
                    R"("aux":[[0,0,0]],"upper_gaps":[],"lower_gaps":[]})"},
        SuccessCase{"DoubleDashEndsTheOptions",
                    {"align", "--compute", "1", "--", "-a\"\\", "-a\"\\"},
                    R"({"result":"-a\"\\","length":4,"calls":0,"label4":"长度①：4","label5":"0","table":[[5,5,5]],)"
                    R"("aux":[[0,0,0]],"upper_gaps":[],"lower_gaps":[]})"},
        SuccessCase{"HalfASurrogatePairMatched",
                    {"align", "--compute", "1", "😀b", "😁b"},
                    R"({"result":"\ud83db","length":2,"calls":1,"label4":"长度①：2","label5":"1",)"
                    R"("table":[[2,2,2],[4,4,3]],"aux":[[1,1,0],[0,0,0]],"upper_gaps":[2],"lower_gaps":[2]})"},
        SuccessCase{"LookupInAGap",
                    {"lookup", "--compute", "1", "--box", "RT1", "--start", "3", "ABCBDAB", "BDCABA"},
                    R"({"row":2,"selections":[["RT1",2,2],["RT3",1,0],["RT2",1,0]],"focus":"RT2"})"},
        SuccessCase{"LookupOfALongerSelection",
                    {"lookup", "--compute", "1", "--box", "RT1", "--start", "1", "--length", "3", "ABCBDAB", "BDCABA"},
                    R"({"row":1,"selections":[["RT1",1,1],["RT2",0,1],["RT3",0,1]],"focus":null})"},
        SuccessCase{"LookupInTheResult",
                    {"lookup", "--compute", "1", "--box", "RT3", "--start", "3", "ABCBDAB", "BDCABA"},
                    R"({"row":3,"selections":[["RT3",3,1],["RT1",6,1],["RT2",4,1]],"focus":"RT2"})"},
        SuccessCase{"RightButtonInTheResultIsIgnored",
                    {"lookup", "--compute", "1", "--box", "RT3", "--start", "3", "--button", "2", "ABCBDAB", "BDCABA"},
                    R"({"ignored":true})"},
        SuccessCase{"SelectionPastTheEndOfTheResultIsIgnored",
                    {"lookup", "--compute", "1", "--box", "RT3", "--start", "0", "--", "abc", "xyz"},
                    R"({"ignored":true})"},
        SuccessCase{"LargestStartIsIgnoredWithoutOverflow",
                    {"lookup", "--compute", "1", "--box", "RT1", "--start", "2147483647", "abc", "abc"},
                    R"({"ignored":true})"},
        SuccessCase{
            "SelectionOfTheLastCharacter",
            {"lookup", "--compute", "1", "--box", "RT1", "--start", "2", "--length", "2147483647", "abc", "abc"},
            R"({"row":0,"selections":[["RT1",2,1],["RT2",2,1],["RT3",2,1]],"focus":null})"},
        SuccessCase{"ExactCountPastSixtyFourBits",
                    {"length", "--no-count-limit", kAlternating70, std::string(70, 'a')},
                    R"({"length":70,"calls":1180591620717411303424})"},  // 2^70
        SuccessCase{"EmptySelectionIsIgnored",
                    {"lookup", "--compute", "2", "--box", "RT2", "--start", "0", "--length", "0", "ABCBDAB", "BDCABA"},
                    R"({"ignored":true})"}),
    velmora::test::RowName());

TEST(Cli, ReadsFilesWhole)
{
    const TempFile upper("upper", "ab\n"), lower("lower", "ax\n");
    const Outcome o = run({"align", "--files", "--compute", "1", upper.path(), lower.path()});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.out.find(R"("result":"a\n")"), std::string::npos) << o.out;
}

TEST(Cli, HelpAndVersionGoToTheOutput)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"length", "--help"}, {"lookup", "-h"}, {"--version"}}) {
        const Outcome o = run(args);
        EXPECT_EQ(o.status, 0) << args.front();
        EXPECT_EQ(o.err, "");
        EXPECT_FALSE(o.out.empty());
    }
    EXPECT_NE(run({"lookup", "--help"}).out.find("--box"), std::string::npos);
    EXPECT_EQ(run({"--version"}).out, "velmora-cli " VELMORA_VERSION "\n");
}

struct FailureCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string message;  // part of stderr
};

class Fails : public testing::TestWithParam<FailureCase> {};

TEST_P(Fails, WithAMessageAndNoOutput)
{
    const Outcome o = run(GetParam().args);
    EXPECT_EQ(o.status, GetParam().status) << o.err;
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find(GetParam().message), std::string::npos) << o.err;
}

const std::string kTooLong(32767, 'a');
const std::string kCostly = "DBADDCDABBCACDCDACACACCCCBDDCD", kCostlyPartner = "BBDDBBACADACBCDDDBDCDDDBCCDCDA";

INSTANTIATE_TEST_SUITE_P(
    Cli, Fails,
    testing::Values(
        FailureCase{"NoCommand", {}, 2, "subcommand is required"},
        FailureCase{"UnknownCommand", {"compare", "a", "b"}, 2, "compare"},
        FailureCase{"OneText", {"length", "a"}, 2, "texts"},
        FailureCase{"ThreeTexts", {"length", "a", "b", "c"}, 2, "c"},
        FailureCase{"UnknownEngine", {"length", "--engine", "quick", "a", "b"}, 2, "--engine"},
        FailureCase{"OptionOfAnotherCommand", {"length", "--compute", "1", "a", "b"}, 2, "--compute"},
        FailureCase{"AlignWithoutDirection", {"align", "a", "b"}, 2, "--compute"},
        FailureCase{"AlignWithAThirdDirection", {"align", "--compute", "3", "a", "b"}, 2, "--compute"},
        FailureCase{"DirectionIsNotANumber", {"align", "--compute", "one", "a", "b"}, 2, "--compute"},
        FailureCase{"UnknownBox", {"lookup", "--compute", "1", "--box", "RT4", "--start", "0", "a", "b"}, 2, "--box"},
        FailureCase{"LookupWithoutStart", {"lookup", "--compute", "1", "--box", "RT1", "a", "b"}, 2, "--start"},
        FailureCase{
            "NegativeStart", {"lookup", "--compute", "1", "--box", "RT1", "--start", "-1", "a", "b"}, 2, "--start"},
        FailureCase{"StartPastThirtyTwoBits",
                    {"lookup", "--compute", "1", "--box", "RT1", "--start", "2147483648", "a", "b"},
                    2,
                    "--start"},
        FailureCase{"ButtonPastSixteenBits",
                    {"lookup", "--compute", "1", "--box", "RT3", "--start", "0", "--button", "40000", "a", "b"},
                    2,
                    "--button"},
        FailureCase{"MissingFile",
                    {"length", "--files", "/nonexistent/velmora", "b"},
                    2,
                    "cannot read file /nonexistent/velmora: No such file or directory"},
        FailureCase{"FolderForAFile", {"length", "--files", "/tmp", "b"}, 2, "cannot read file /tmp: Is a directory"},
        FailureCase{"EncodedSurrogateArgument",
                    {"length", "\xED\xA0\x80", "b"},
                    2,
                    "the first text is not valid UTF-8 (byte 0)"},
        FailureCase{
            "OverlongSecondArgument", {"length", "a", "b\xC0\xAF"}, 2, "the second text is not valid UTF-8 (byte 1)"},
        FailureCase{"TextPastTheLimit", {"length", kTooLong, "a"}, 3, "32,766"},
        FailureCase{"LowerTextPastTheLimit", {"align", "--compute", "2", "", kTooLong}, 3, "32,766"},
        FailureCase{"FileThatCannotHoldAnAcceptedText",
                    {"length", "--files", "/dev/zero", "/dev/null"},
                    3,
                    "file /dev/zero is too long"},
        FailureCase{"CountPastTheWindowLimit",
                    {"length", kCostly + kCostly, kCostlyPartner + kCostlyPartner},
                    3,
                    "2,147,483,647"},
        FailureCase{"AlignmentCountPastTheWindowLimit",
                    {"align", "--compute", "1", kCostly + kCostly, kCostlyPartner + kCostlyPartner},
                    3,
                    "2,147,483,647"}),
    velmora::test::RowName());

TEST(Cli, FilesAreCheckedByName)
{
    const TempFile invalid("invalid", "a\xC0\xAF"), unreadable("unreadable", "abc");
    Outcome o = run({"length", "--files", invalid.path(), invalid.path()});
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find("file " + invalid.path() + " is not valid UTF-8 (byte 1)"), std::string::npos) << o.err;

    const TempFile longest("longest", std::string(32766, 'a')), tooLong("too-long", std::string(98299, 'a'));
    o = run({"length", "--files", longest.path(), "/dev/null"});
    EXPECT_EQ(o.status, 0) << o.err;
    o = run({"length", "--files", tooLong.path(), "/dev/null"});
    EXPECT_EQ(o.status, 3);
    EXPECT_NE(o.err.find("file " + tooLong.path() + " is too long"), std::string::npos) << o.err;

    if (::geteuid() != 0) {  // root reads whatever the mode says
        std::filesystem::permissions(unreadable.path(), std::filesystem::perms::none);
        o = run({"length", "--files", unreadable.path(), unreadable.path()});
        EXPECT_EQ(o.status, 2);
        EXPECT_NE(o.err.find("Permission denied"), std::string::npos) << o.err;
    }
}

}  // namespace
