#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <optional>
#include <sstream>

#include "cli/command_options.h"
#include "cli/commands/commands.h"
#include "cli/json_writer.h"
#include "cli/text_files.h"
#include "cli/utf.h"
#include "engine/base/checked_arithmetic.h"
#include "engine/length/length_engine.h"
#include "engine/length/literal/literal_length.h"
#include "engine/method/comparison_session.h"
#include "engine/method/recording_window.h"
#include "highlight/match_lookup.h"

#ifndef VELMORA_VERSION
#define VELMORA_VERSION "unknown"
#endif

namespace velmora {
namespace {

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

int report(std::ostream& err, int status, const std::string& message, bool showHelpHint = false)
{
    err << "velmora-cli: " << message << '\n';
    if (showHelpHint) err << "(velmora-cli --help shows the usage)\n";
    return status;
}

void addTexts(CLI::App& command, CommonOptions& options, const char* first, const char* second)
{
    command.add_flag("--files", options.files, "read the two texts from UTF-8 files");
    command.add_option("texts", options.texts, std::string(first) + " and " + second + " (UTF-8)")
        ->expected(2)
        ->required();
}

void addEngine(CLI::App& command, CommonOptions& options)
{
    command.add_option("--engine", options.engine, "literal: every invocation one by one; fast (default)")
        ->check(CLI::IsMember({"literal", "fast"}));
    command.add_flag("--no-count-limit", options.noCountLimit, "count exactly past 2,147,483,647 invocations");
}

void addCompute(CLI::App& command, CommonOptions& options)
{
    command.add_option("--compute", options.compute, "1: the upper text leads (计算1); 2: the lower one (计算2)")
        ->required()
        ->check(CLI::IsMember({1, 2}));
}

void addTraceOptions(CLI::App& command, CommonOptions& common, TraceOptions& trace)
{
    command
        .add_option("--compute", common.compute,
                    "trace the calls of the whole computation of 计算1 (1) or 计算2 (2) instead")
        ->check(CLI::IsMember({1, 2}));
    command.add_option("--from", trace.from, "the first invocation to list, by its number (default 1)");
    command.add_option("--limit", trace.limit, "how many invocations to list (default 1000)")
        ->check(CLI::Range(std::size_t{0}, std::size_t{10000000}));
    command.add_option("--max-depth", trace.maxDepth, "list invocations at most this deep (0: the outermost only)")
        ->check(CLI::Range(0, std::numeric_limits<int>::max()));
    command.add_option("--format", trace.format, "json (default), text (the nested listing) or dot (Graphviz)")
        ->check(CLI::IsMember({"json", "text", "dot"}));
    command.add_option("--engine", common.engine, "the engine that computes the summary's length and count")
        ->check(CLI::IsMember({"literal", "fast"}));
    addTexts(command, common, "FIRST (or UPPER)", "SECOND (or LOWER)");
}

void addPairsOptions(CLI::App& command, CommonOptions& common, PairsOptions& pairs)
{
    command
        .add_option("--compute", common.compute, "the pairs of the whole computation of 计算1 (1) or 计算2 (2) instead")
        ->check(CLI::IsMember({1, 2}));
    command.add_option("--top", pairs.top, "how many pairs to list (default 20)")
        ->check(CLI::Range(std::size_t{0}, std::size_t{10000000}));
    command.add_option("--engine", common.engine, "the engine that computes the summary's length and count")
        ->check(CLI::IsMember({"literal", "fast"}));
    addTexts(command, common, "FIRST (or UPPER)", "SECOND (or LOWER)");
}

void addGrowthOptions(CLI::App& command, GrowthOptions& growth)
{
    command.add_option("--alphabet", growth.alphabets, "characters to draw from, literally or as a range such as a-z")
        ->required();
    command.add_option("--lengths", growth.lengths, "FROM:TO:STEP, the lengths n of both texts")->required();
    command.add_option("--samples", growth.samples, "pairs per alphabet and length (default 10)")
        ->check(CLI::Range(std::size_t{1}, std::size_t{100000}));
    command.add_option("--seed", growth.seed, "seed of the random texts (default 1)");
    command.add_option("--compute", growth.compute, "count the whole computation of 计算1 (1) or 计算2 (2)")
        ->check(CLI::IsMember({1, 2}));
    command.add_flag("--texts", growth.texts, "write each sample's two texts into its point's line");
    command.add_option("--svg", growth.svg, "also write a chart of log2(count) against n to this file")
        ->check([](const std::string& path) { return path.empty() ? std::string("--svg needs a file name") : ""; });
}

// CLI11 hands an option it does not know in a subcommand on to the texts; say plainly
// which command or option is wrong instead.
void checkNames(const CLI::App& app, const std::vector<std::string>& args)
{
    if (args.empty() || args.front().starts_with('-')) return;
    const CLI::App* command = nullptr;
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
        if (sub->get_name() == args.front()) command = sub;
    if (!command)
        throw UsageError("unknown command " + args.front() + " (length, align, lookup, trace, pairs or growth)");
    for (std::size_t i = 1; i < args.size() && args[i] != "--"; ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg.front() != '-') continue;
        const std::string name = arg.substr(0, arg.find('='));
        const CLI::Option* option = command->get_option_no_throw(name);
        if (!option) throw UsageError("option " + name + " does not apply to " + args.front());
        if (option->get_type_size() > 0 && name.size() == arg.size()) ++i;  // its value
    }
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CLI::App app{"velmora-cli: the comparison engine of Velmora for scripts and for studying the method.\n"
                 "length, align and lookup print one JSON object on one line; trace a JSON line per invocation and a\n"
                 "summary, pairs a JSON line per pair and a summary, growth a JSON line per point. Positions and "
                 "lengths count UTF-16 code units.\n"
                 "'--' ends the options, for texts that begin with '-'.",
                 "velmora-cli"};
    app.set_version_flag("--version", "velmora-cli " VELMORA_VERSION);
    app.require_subcommand(1);
    app.footer("Exit status: 0 success, 1 failure (such as an output that cannot be written), 2 usage error,\n"
               "3 a limit of the method (a text over 32,766 characters, a count over 2,147,483,647).");

    CommonOptions options;
    LookupOptions lookup;
    CLI::App* length = app.add_subcommand("length", "CommonLength of FIRST and SECOND, with its invocation count");
    addEngine(*length, options);
    addTexts(*length, options, "FIRST", "SECOND");

    CLI::App* align = app.add_subcommand("align", "the whole computation of 计算1 or 计算2 on UPPER and LOWER");
    addCompute(*align, options);
    addEngine(*align, options);
    addTexts(*align, options, "UPPER", "LOWER");

    CLI::App* lookupCmd =
        app.add_subcommand("lookup", "what a selection in one box selects in the others after a computation");
    addCompute(*lookupCmd, options);
    lookupCmd->add_option("--box", lookup.box, "the box selected in")
        ->required()
        ->check(CLI::IsMember({"RT1", "RT2", "RT3"}));
    lookupCmd->add_option("--start", lookup.start, "0-based start of the selection")
        ->required()
        ->check(CLI::Range(0, std::numeric_limits<std::int32_t>::max()));
    lookupCmd->add_option("--length", lookup.length, "length of the selection (default 1)")
        ->check(CLI::Range(0, std::numeric_limits<std::int32_t>::max()));
    lookupCmd->add_option("--button", lookup.button, "the mouse button released (1 = left, the default)")
        ->check(CLI::Range(0, 32767));
    addEngine(*lookupCmd, options);
    addTexts(*lookupCmd, options, "UPPER", "LOWER");

    TraceOptions trace;
    CLI::App* traceCmd =
        app.add_subcommand("trace", "the invocation tree, one JSON line per invocation in the order they start");
    addTraceOptions(*traceCmd, options, trace);

    PairsOptions pairs;
    CLI::App* pairsCmd = app.add_subcommand(
        "pairs", "the pairs of remainders the invocations fall on, the most invoked first, one JSON line each");
    addPairsOptions(*pairsCmd, options, pairs);

    GrowthOptions growth;
    CLI::App* growthCmd = app.add_subcommand("growth", "how the exact count grows with the length of random texts");
    addGrowthOptions(*growthCmd, growth);

    std::ostringstream buffered;  // nothing reaches out unless the command succeeds (trace and growth stream)
    try {
        checkNames(app, args);
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
        if (length->parsed())
            lengthCommand(options, buffered);
        else if (align->parsed())
            alignCommand(options, buffered);
        else if (lookupCmd->parsed())
            lookupCommand(options, lookup, buffered);
        else if (traceCmd->parsed())
            traceCommand(options, trace, out);  // streams: the invocations before a slow summary
        else if (pairsCmd->parsed())
            pairsCommand(options, pairs, buffered);
        else
            growthCommand(growth, out, err);  // streams: a line per point, each flushed
    } catch (const CLI::Success& e) {         // --help and --version: the subcommand's own page
        return app.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        return report(err, kExitUsage, e.what(), true);
    } catch (const UsageError& e) {
        return report(err, kExitUsage, e.what());
    } catch (const TextFileError& e) {
        return report(err, e.kind() == TextFileError::Kind::TooLong ? kExitOverflow : kExitUsage, e.what());
    } catch (const OverflowError& e) {
        return report(err, kExitOverflow, overflowMessage(e));
    } catch (const std::exception& e) {
        return report(err, kExitFailure, e.what());
    }
    out << buffered.str();
    return kExitOk;
}

}  // namespace velmora
