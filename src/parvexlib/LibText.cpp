#include "LibText.h"

#include "parvexlib.h"

#include <cstdlib>
#include <cstring>

namespace parvexlib {

char* Give(std::string_view text)
{
    auto* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy == nullptr)
        return nullptr;
    if (!text.empty())
        std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}

std::size_t DecodeOne(std::string_view text, char32_t* codePoint)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    *codePoint = 0xFFFD;
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 1;
    }
    if (text.size() < length)
        return 1;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80)
            return 1;
        value = (value << 6) | (next & 0x3F);
    }
    // Overlong forms, UTF-16 surrogates and values past U+10FFFF are not characters.
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 1;
    *codePoint = value;
    return length;
}

void AppendUtf8(std::string& out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

std::size_t CharCount(std::string_view text)
{
    std::size_t count = 0;
    char32_t ignored = 0;
    while (!text.empty()) {
        text.remove_prefix(DecodeOne(text, &ignored));
        ++count;
    }
    return count;
}

bool IsBlank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

} // namespace parvexlib

void PBFreeText(char* text) { std::free(text); }
