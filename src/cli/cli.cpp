#include "cli/cli.h"

#include <charconv>
#include <filesystem>
#include <iterator>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "cli/json_writer.h"
#include "cli/utf.h"
#include "engine/alignment.h"
#include "engine/checked_arithmetic.h"
#include "engine/common_length.h"
#include "engine/headless_window.h"
#include "highlight/match_lookup.h"

namespace velmora {
namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  velmora-cli length [--engine literal|fast] [--no-count-limit] [--files] FIRST SECOND\n"
    "  velmora-cli align --compute 1|2 [--engine literal|fast] [--no-count-limit] [--files] UPPER LOWER\n"
    "  velmora-cli lookup --compute 1|2 --box RT1|RT2|RT3 --start S [--length L] [--button B]\n"
    "                     [--engine literal|fast] [--files] UPPER LOWER\n"
    "Texts are UTF-8 arguments (or, with --files, paths of UTF-8 files); '--' ends the options.\n"
    "Each command prints one JSON object on one line.\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Arguments {
    std::string command;
    std::map<std::string, std::string> options;  // value "" for flags
    std::vector<std::string> texts;

    bool has(const std::string& name) const { return options.count(name) != 0; }
    std::optional<std::string> value(const std::string& name) const
    {
        const auto found = options.find(name);
        return found == options.end() ? std::nullopt : std::optional(found->second);
    }
};

const std::map<std::string, bool>& knownOptions()  // name -> takes a value
{
    static const std::map<std::string, bool> known{
        {"--engine", true}, {"--files", false}, {"--no-count-limit", false}, {"--compute", true},
        {"--box", true},    {"--start", true},  {"--length", true},          {"--button", true}};
    return known;
}

Arguments parse(const std::vector<std::string>& args)
{
    if (args.empty()) throw UsageError("no command given");
    Arguments parsed{args[0], {}, {}};
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.rfind("--", 0) != 0) {
            parsed.texts.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const auto known = knownOptions().find(arg);
        if (known == knownOptions().end()) throw UsageError("unknown option " + arg);
        if (parsed.has(arg)) throw UsageError("option " + arg + " given twice");
        if (known->second && i + 1 >= args.size()) throw UsageError("option " + arg + " needs a value");
        parsed.options[arg] = known->second ? args[++i] : "";
    }
    if (parsed.texts.size() != 2) throw UsageError("expected two texts, got " + std::to_string(parsed.texts.size()));
    return parsed;
}

void allowOnly(const Arguments& args, std::initializer_list<const char*> allowed)
{
    for (const auto& [name, value] : args.options) {
        bool ok = false;
        for (const char* a : allowed) ok = ok || name == a;
        if (!ok) throw UsageError("option " + name + " does not apply to " + args.command);
    }
}

std::int64_t integerOption(const Arguments& args, const std::string& name, std::int64_t fallback, std::int64_t low,
                           std::int64_t high)
{
    const auto text = args.value(name);
    if (!text) return fallback;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end != text->data() + text->size() || value < low || value > high)
        throw UsageError(name + " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high));
    return value;
}

EngineKind engineOption(const Arguments& args)
{
    const auto engine = args.value("--engine").value_or("fast");
    if (engine == "fast") return EngineKind::Fast;
    if (engine == "literal") return EngineKind::Literal;
    throw UsageError("--engine takes literal or fast");
}

Direction directionOption(const Arguments& args)
{
    const auto compute = args.value("--compute");
    if (!compute) throw UsageError(args.command + " needs --compute 1 or --compute 2");
    if (*compute == "1") return Direction::Compute1;
    if (*compute == "2") return Direction::Compute2;
    throw UsageError("--compute takes 1 or 2");
}

std::uint64_t callLimit(const Arguments& args)
{
    return args.has("--no-count-limit") ? CallCounter::kNoLimit : CallCounter::kWindowLimit;
}

std::string readWhole(const std::string& path)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) throw UsageError("cannot read file " + path + ": it is a folder");
    std::ifstream file(path, std::ios::binary);
    if (!file) throw UsageError("cannot read file " + path);
    std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) throw UsageError("cannot read file " + path);
    return content;
}

std::u16string textArgument(const Arguments& args, std::size_t which)
{
    const std::string& raw = args.texts[which];
    const std::string bytes = args.has("--files") ? readWhole(raw) : raw;
    std::size_t fault = 0;
    auto text = utf8ToUtf16(bytes, &fault);
    const std::string name = which == 0 ? "first text" : "second text";
    if (!text) throw UsageError(name + " is not valid UTF-8 (byte " + std::to_string(fault) + ")");
    return *text;
}

std::string rows(const GapTable& table, std::size_t rowCount)
{
    std::string out = "[";
    for (std::size_t r = 1; r <= rowCount && r < table.size(); ++r)
        out += (r > 1 ? ",[" : "[") + std::to_string(table[r][0]) + "," + std::to_string(table[r][1]) + "," +
               std::to_string(table[r][2]) + "]";
    return out + "]";
}

int lengthCommand(const Arguments& args, std::ostream& out)
{
    allowOnly(args, {"--engine", "--files", "--no-count-limit"});
    const EngineKind engine = engineOption(args);
    const std::u16string first = textArgument(args, 0), second = textArgument(args, 1);
    CallCounter counter(0, callLimit(args));
    const std::int16_t length =
        engine == EngineKind::Fast ? FastCommonLengthOf(first, second, counter) : CommonLength(first, second, counter);
    JsonObject json;
    json.field("length", std::int64_t{length}).fieldUnsigned("calls", counter.value());
    if (counter.saturated()) json.field("calls_saturated", true);
    out << json.str() << '\n';
    return kExitOk;
}

struct Computed {
    ComparisonState state;
    HeadlessWindow window;
    AlignmentReport report;
};

// Captures the texts as the compute buttons do and runs the alignment.
void compute(const Arguments& args, Computed& c)
{
    const Direction direction = directionOption(args);
    const EngineKind engine = engineOption(args);
    const std::u16string upper = textArgument(args, 0), lower = textArgument(args, 1);
    c.window.type(upper, lower);
    c.state.ModeMark = kNoResultMark;
    c.state.Text1 = direction == Direction::Compute1 ? upper : lower;
    c.state.Text2 = direction == Direction::Compute1 ? lower : upper;
    c.state.Len1 = static_cast<std::int32_t>(std::min<std::size_t>(c.state.Text1.size(), INT32_MAX));
    c.state.Len2 = static_cast<std::int32_t>(std::min<std::size_t>(c.state.Text2.size(), INT32_MAX));
    c.report = Align(c.state, direction, c.window, {engine, callLimit(args)});
}

int alignCommand(const Arguments& args, std::ostream& out)
{
    allowOnly(args, {"--compute", "--engine", "--files", "--no-count-limit"});
    Computed c;
    compute(args, c);
    const auto rowCount = static_cast<std::size_t>(c.state.RowCount);
    JsonObject json;
    json.field("result", c.window.text(Box::RT3))
        .field("length", std::int64_t{c.state.ResultLength})
        .fieldUnsigned("calls", c.report.calls)
        .field("label4", c.window.caption(Label::Label4))
        .field("label5", c.window.caption(Label::Label5))
        .fieldRaw("table", rows(c.state.MatchTable, rowCount))
        .fieldRaw("aux", rows(c.state.MatchAux, rowCount))
        .fieldRaw("upper_gaps", jsonNumbers(c.window.gapPositions(Box::RT1)))
        .fieldRaw("lower_gaps", jsonNumbers(c.window.gapPositions(Box::RT2)));
    if (c.report.callsSaturated) json.field("calls_saturated", true);
    if (c.state.RecordedEnd[kResultColumn] != kNoRecordedEnd)
        json.fieldRaw("recorded_end", jsonNumbers({c.state.RecordedEnd.begin(), c.state.RecordedEnd.end()}));
    out << json.str() << '\n';
    return kExitOk;
}

std::string boxName(Box box)
{
    return box == Box::RT1 ? "RT1" : box == Box::RT2 ? "RT2" : "RT3";
}

Box boxOption(const Arguments& args)
{
    const auto box = args.value("--box");
    if (box == "RT1") return Box::RT1;
    if (box == "RT2") return Box::RT2;
    if (box == "RT3") return Box::RT3;
    throw UsageError("lookup needs --box RT1, RT2 or RT3");
}

int lookupCommand(const Arguments& args, std::ostream& out)
{
    allowOnly(args, {"--compute", "--engine", "--files", "--box", "--start", "--length", "--button"});
    const Box box = boxOption(args);
    if (!args.has("--start")) throw UsageError("lookup needs --start");
    const auto start = static_cast<std::int32_t>(integerOption(args, "--start", 0, 0, INT32_MAX));
    const auto length = static_cast<std::int32_t>(integerOption(args, "--length", 1, 0, INT32_MAX));
    const auto button = static_cast<int>(integerOption(args, "--button", kLeftButton, 0, 32767));
    Computed c;
    compute(args, c);
    const auto plan = planClick(c.state, box, start, length, button);
    if (!plan) {
        out << JsonObject().field("ignored", true).str() << '\n';
        return kExitOk;
    }
    std::string selections = "[";
    std::optional<Box> focus;
    for (const LookupStep& step : plan->steps) {
        if (step.kind == LookupStep::Kind::Focus) focus = step.box;
        if (step.kind != LookupStep::Kind::Select) continue;
        selections += (selections.size() > 1 ? ",[\"" : "[\"") + boxName(step.box) + "\"," +
                      std::to_string(step.start) + "," + std::to_string(step.length) + "]";
    }
    JsonObject json;
    json.field("row", std::int64_t{plan->row}).fieldRaw("selections", selections + "]");
    if (focus)
        json.fieldRaw("focus", "\"" + boxName(*focus) + "\"");
    else
        json.fieldNull("focus");
    out << json.str() << '\n';
    return kExitOk;
}

std::string overflowMessage(const OverflowError& error)
{
    switch (error.limit()) {
    case OverflowLimit::TextLength: return "overflow: a text is longer than 32,766 characters (UTF-16 code units)";
    case OverflowLimit::CallCount:
        return "overflow: the length function would be invoked more than 2,147,483,647 times "
               "(--no-count-limit lifts this limit)";
    case OverflowLimit::Arithmetic: break;
    }
    return std::string("overflow: ") + error.what();
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
        out << kUsage;
        return kExitOk;
    }
    try {
        const Arguments parsed = parse(args);
        std::ostringstream buffered;  // nothing reaches stdout unless the command succeeds
        int status;
        if (parsed.command == "length")
            status = lengthCommand(parsed, buffered);
        else if (parsed.command == "align")
            status = alignCommand(parsed, buffered);
        else if (parsed.command == "lookup")
            status = lookupCommand(parsed, buffered);
        else
            throw UsageError("unknown command " + parsed.command);
        out << buffered.str();
        return status;
    } catch (const UsageError& e) {
        err << "velmora-cli: " << e.what() << "\n(velmora-cli --help shows the usage)\n";
        return kExitUsage;
    } catch (const OverflowError& e) {
        err << "velmora-cli: " << overflowMessage(e) << "\n";
        return kExitOverflow;
    } catch (const std::exception& e) {
        err << "velmora-cli: " << e.what() << "\n";
        return kExitFailure;
    }
}

}  // namespace velmora
