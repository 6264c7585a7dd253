#include "LibText.h"
#include "parvexlib.h"

#include <QChar>

#include <cstring>
#include <string>

using namespace parvexlib;

namespace {

// One value per character. A byte that is not valid UTF-8 gets a value of its own beyond Unicode, so two
// different stray bytes still compare as different characters.
std::u32string Characters(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    while (!text.empty()) {
        char32_t c = 0;
        const std::size_t length = DecodeOne(text, &c);
        if (length == 1 && static_cast<unsigned char>(text[0]) >= 0x80)
            c = 0x110000 + static_cast<unsigned char>(text[0]);
        out.push_back(c);
        text.remove_prefix(length);
    }
    return out;
}

} // namespace

char* ReplaceString(const char* text, const char* find, const char* replacement)
{
    const std::string_view t = View(text);
    const std::string_view f = View(find);
    if (f.empty())
        return Give(t);
    const std::string_view r = View(replacement);
    std::string out;
    out.reserve(t.size());
    std::size_t from = 0;
    for (std::size_t at = t.find(f); at != std::string_view::npos; at = t.find(f, from)) {
        out.append(t.substr(from, at - from)).append(r);
        from = at + f.size();
    }
    out.append(t.substr(from));
    return Give(out);
}

// An empty delimiter never occurs, so ExtractString + delimiter + RemainingString always rebuilds the text.
char* ExtractString(const char* text, const char* delimiter)
{
    const std::string_view t = View(text);
    const std::string_view d = View(delimiter);
    const std::size_t at = d.empty() ? std::string_view::npos : t.find(d);
    return Give(at == std::string_view::npos ? t : t.substr(0, at));
}

char* RemainingString(const char* text, const char* delimiter)
{
    const std::string_view t = View(text);
    const std::string_view d = View(delimiter);
    const std::size_t at = d.empty() ? std::string_view::npos : t.find(d);
    return Give(at == std::string_view::npos ? std::string_view{} : t.substr(at + d.size()));
}

// length is the size in bytes of the caller's buffer; the search never reads past it, so a buffer that
// holds no NUL at all is safe. A negative length means the text is NUL-terminated.
char* StripNull(const char* text, int32_t length)
{
    if (text == nullptr)
        return Give({});
    if (length < 0)
        return Give(View(text));
    const auto* nul = static_cast<const char*>(std::memchr(text, '\0', static_cast<std::size_t>(length)));
    return Give(std::string_view(text, nul == nullptr ? static_cast<std::size_t>(length) : static_cast<std::size_t>(nul - text)));
}

// Words start after any non-letter. Text is Unicode here, so every letter takes part (not only the
// accented letters of one old code page); a combining mark continues the word of the letter it sits on.
char* ProperCase(const char* text)
{
    std::string_view rest = View(text);
    std::string out;
    out.reserve(rest.size());
    bool upper = true;
    while (!rest.empty()) {
        char32_t c = 0;
        const std::size_t length = DecodeOne(rest, &c);
        const bool valid = !(length == 1 && static_cast<unsigned char>(rest[0]) >= 0x80);
        if (valid && QChar::isLetter(c)) {
            const char32_t mapped = upper ? QChar::toUpper(c) : QChar::toLower(c);
            if (mapped == c)
                out.append(rest.substr(0, length));
            else
                AppendUtf8(out, mapped);
            upper = false;
        } else {
            out.append(rest.substr(0, length));
            if (!(valid && QChar::isMark(c)))
                upper = true;
        }
        rest.remove_prefix(length);
    }
    return Give(out);
}

char* ToggleCase(const char* text)
{
    const std::string_view t = View(text);
    if (IsBlank(t))
        return Give({});
    std::string out(t);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return Give(out);
}

char* RemoveInternalSpaces(const char* text)
{
    std::string out(View(text));
    std::erase(out, ' ');
    return Give(out);
}

int32_t PositionOfFirstDifference(const char* text1, const char* text2, int32_t start, int32_t* end1, int32_t* end2)
{
    int32_t first = -1;
    int32_t e1 = -1;
    int32_t e2 = -1;
    auto finish = [&]() {
        if (end1 != nullptr)
            *end1 = e1;
        if (end2 != nullptr)
            *end2 = e2;
        return first;
    };
    if (View(text1) == View(text2))
        return finish();
    const std::u32string a = Characters(View(text1));
    const std::u32string b = Characters(View(text2));
    const auto len1 = static_cast<int32_t>(a.size());
    const auto len2 = static_cast<int32_t>(b.size());
    const int32_t last = len1 > len2 ? len1 : len2;
    // Position 0 and below hold no character; the walk starts at the first one.
    for (int32_t i = start < 1 ? 1 : start; i <= last; ++i) {
        if (i > len1 || i > len2) {
            if (first == -1)
                first = i;
            e1 = len1;
            e2 = len2;
            break;
        }
        const bool same = a[static_cast<std::size_t>(i - 1)] == b[static_cast<std::size_t>(i - 1)];
        if (!same && first == -1)
            first = i;
        if (same && first != -1) {
            e1 = e2 = i - 1;
            break;
        }
    }
    if (first != -1 && e1 == -1 && e2 == -1)
        e1 = e2 = last;
    return finish();
}
