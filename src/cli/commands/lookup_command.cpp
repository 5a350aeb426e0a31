// velmora-cli lookup: what a selection in one box selects in the others after a computation.
#include <optional>

#include "cli/commands/commands.h"
#include "cli/commands/computation.h"
#include "cli/json_writer.h"
#include "highlight/match_lookup.h"

namespace velmora {
namespace {

std::u16string boxName(Box box) { return box == Box::RT1 ? u"RT1" : box == Box::RT2 ? u"RT2" : u"RT3"; }

Box boxNamed(const std::string& name) { return name == "RT1" ? Box::RT1 : name == "RT2" ? Box::RT2 : Box::RT3; }

}  // namespace

void lookupCommand(const CommonOptions& options, const LookupOptions& lookup, std::ostream& out)
{
    Computed c;
    compute(options, c);
    const Box box = boxNamed(lookup.box);
    const auto boxLength = static_cast<std::int32_t>(c.window.text(box).size());
    const auto plan = planClick(c.session.state(), box, lookup.start, lookup.length, lookup.button, boxLength);
    if (!plan) {
        out << JsonObject().boolean("ignored", true).str() << '\n';
        return;
    }
    JsonArray selections;
    std::optional<Box> focus;
    for (const LookupStep& step : plan->steps) {
        if (step.kind == LookupStep::Kind::Focus) focus = step.box;
        if (step.kind == LookupStep::Kind::Select)
            selections.array(JsonArray().text(boxName(step.box)).integer(step.start).integer(step.length));
    }
    JsonObject json;
    json.integer("row", plan->row).array("selections", selections);
    if (focus)
        json.text("focus", boxName(*focus));
    else
        json.null("focus");
    out << json.str() << '\n';
}

}  // namespace velmora
