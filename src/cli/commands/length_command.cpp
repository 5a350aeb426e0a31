// velmora-cli length: CommonLength of two texts, with its invocation count.
#include "cli/commands/commands.h"
#include "cli/json_writer.h"
#include "cli/terminal_progress.h"
#include "engine/length/length_engine.h"

namespace velmora {

void lengthCommand(const CommonOptions& options, std::ostream& out)
{
    const std::u16string first = textArgument(options, 0), second = textArgument(options, 1);
    ComputationControl control;
    CallCounter counter(0, options.callLimit(), &control);
    std::int16_t length = 0;
    {
        TerminalProgress progress(control);
        length = LengthOf(options.engineKind(), first, second, counter);
    }
    JsonObject json;
    json.integer("length", length).bigInteger("calls", counter.decimal());
    out << json.str() << '\n';
}

}  // namespace velmora
