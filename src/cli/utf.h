#pragma once
// UTF-8 on the command line and in files, UTF-16 code units inside the engine.

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Strict decoding: overlong forms, surrogate code points, values past U+10FFFF and
// truncated sequences are refused (nullopt), with the byte offset of the fault.
std::optional<std::u16string> utf8ToUtf16(std::string_view bytes, std::size_t* faultOffset = nullptr);

// Encodes code units as UTF-8. A lone surrogate, which a result can hold when only half
// of a pair was matched, has no UTF-8 form; it is passed to onLoneSurrogate instead.
template <class OnLoneSurrogate>
std::string utf16ToUtf8(std::u16string_view units, OnLoneSurrogate onLoneSurrogate);

std::string utf16ToUtf8Lossy(std::u16string_view units);  // lone surrogates become U+FFFD

}  // namespace velmora

#include "cli/utf_encode.inl"
