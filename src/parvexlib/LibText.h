#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text plumbing shared by the exports. Arguments arrive as UTF-8 (NULL meaning empty) and results leave as
// malloc'ed copies that the caller hands back to PBFreeText. Bytes that are not valid UTF-8 are kept as
// they are and count as one character each, so no function loses or invents bytes of a file name.
namespace parvexlib {

inline std::string_view View(const char* text) { return text == nullptr ? std::string_view{} : std::string_view{text}; }

// A malloc'ed, NUL-terminated copy; NULL only when memory runs out.
char* Give(std::string_view text);

// Length in bytes of the character that starts at text[0] (1 for an invalid byte) and its code point
// (U+FFFD for an invalid byte). text must not be empty.
std::size_t DecodeOne(std::string_view text, char32_t* codePoint);
void AppendUtf8(std::string& out, char32_t codePoint);

// Number of characters (code points, stray bytes counted one each).
std::size_t CharCount(std::string_view text);

// True when the text is empty or holds nothing but spaces.
bool IsBlank(std::string_view text);

} // namespace parvexlib
