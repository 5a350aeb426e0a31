// velmora-cli align: the whole computation of 计算1 or 计算2, as the window shows it.
#include "cli/commands/commands.h"
#include "cli/commands/computation.h"
#include "cli/json_writer.h"

namespace velmora {
namespace {

JsonArray rowsOf(const GapTable& table, std::size_t rowCount)
{
    JsonArray rows;
    for (std::size_t r = 1; r <= rowCount && r < table.size(); ++r)
        rows.array(JsonArray().integer(table[r][0]).integer(table[r][1]).integer(table[r][2]));
    return rows;
}

}  // namespace

void alignCommand(const CommonOptions& options, std::ostream& out)
{
    Computed c;
    compute(options, c);
    const ComparisonState& s = c.session.state();
    const auto rowCount = static_cast<std::size_t>(s.RowCount);
    JsonObject json;
    json.text("result", c.window.text(Box::RT3))
        .integer("length", s.ResultLength)
        .bigInteger("calls", c.report.calls.get_str())
        .text("label4", c.window.caption(Label::Label4))
        .text("label5", c.window.caption(Label::Label5))
        .array("table", rowsOf(s.MatchTable, rowCount))
        .array("aux", rowsOf(s.MatchAux, rowCount))
        .integers("upper_gaps", c.window.gapPositions(Box::RT1))
        .integers("lower_gaps", c.window.gapPositions(Box::RT2));
    if (s.RecordedEnd[kResultColumn] != kNoRecordedEnd)
        json.integers("recorded_end", {s.RecordedEnd.begin(), s.RecordedEnd.end()});
    out << json.str() << '\n';
}

}  // namespace velmora
