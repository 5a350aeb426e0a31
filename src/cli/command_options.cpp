#include "cli/command_options.h"

#include "cli/text_files.h"
#include "cli/utf.h"

namespace velmora {

std::u16string textArgument(const CommonOptions& options, std::size_t which)
{
    const std::string& raw = options.texts[which];
    if (options.files) return readTextFile(raw);
    std::size_t fault = 0;
    auto text = utf8ToUtf16(raw, &fault);
    if (!text)
        throw UsageError(std::string(which == 0 ? "the first" : "the second") + " text is not valid UTF-8 (byte " +
                         std::to_string(fault) + ")");
    return std::move(*text);
}

}  // namespace velmora
