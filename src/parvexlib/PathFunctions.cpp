#include "LibText.h"
#include "parvexlib.h"

#include <cstdint>
#include <string>

using namespace parvexlib;

namespace {

// Byte offset of the dot that starts the extension, or npos. Only the last path item counts, so a dot in a
// folder name never turns the rest of the path into an "extension"; and a dot that starts the item marks
// a hidden name, not an extension, so ".profile" keeps its leading dot through every rename.
std::size_t ExtensionDot(std::string_view name)
{
    if (IsBlank(name))
        return std::string_view::npos;
    const std::size_t slash = name.rfind('/');
    const std::size_t itemStart = slash == std::string_view::npos ? 0 : slash + 1;
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot <= itemStart)
        return std::string_view::npos;
    return dot;
}

std::string_view BaseOf(std::string_view name)
{
    if (IsBlank(name))
        return {};
    const std::size_t dot = ExtensionDot(name);
    return dot == std::string_view::npos ? name : name.substr(0, dot);
}

std::string Join(std::initializer_list<std::string_view> parts)
{
    std::string out;
    for (std::string_view part : parts)
        out.append(part);
    return out;
}

} // namespace

char* NormalizePath(const char* path)
{
    const std::string_view p = View(path);
    const std::size_t length = CharCount(p);
    // "/x" is a folder at the root, the way "C:\x" is one; other two-character texts are left alone.
    const bool due = !p.empty() && p.back() != '/' && (length > 2 || (length == 2 && p.front() == '/'));
    if (due || (length == 2 && p.back() == ':'))
        return Give(Join({p, "/"}));
    return Give(p);
}

char* GetLastItemInPath(const char* path)
{
    const std::string_view p = View(path);
    const std::size_t slash = p.rfind('/');
    return Give(slash == std::string_view::npos ? p : p.substr(slash + 1));
}

int16_t GetNextSlashPos(const char* text, int16_t start)
{
    std::string_view rest = View(text);
    const std::size_t length = CharCount(rest);
    if (static_cast<long long>(length) < start)
        return 0;
    // Positions that do not fit the 16-bit answer are reported as the largest one that does.
    auto answer = [](std::size_t position) {
        return static_cast<int16_t>(position > INT16_MAX ? INT16_MAX : position);
    };
    bool inRun = false;
    std::size_t position = 0;
    while (!rest.empty()) {
        char32_t c = 0;
        rest.remove_prefix(DecodeOne(rest, &c));
        ++position;
        if (static_cast<long long>(position) < start)
            continue;
        const bool separator = c == U'/' || c == U'\\';
        if (!inRun)
            inRun = separator;
        else if (!separator)
            return answer(position - 1);
    }
    return answer(length);
}

char* GetFilenameExtension(const char* name)
{
    const std::string_view n = View(name);
    const std::size_t dot = ExtensionDot(n);
    return Give(dot == std::string_view::npos ? std::string_view{} : n.substr(dot + 1));
}

char* RemoveFilenameExtension(const char* name) { return Give(BaseOf(View(name))); }

char* ReplaceFileName(const char* oldName, const char* newBaseName)
{
    const std::string_view old = View(oldName);
    const std::size_t dot = ExtensionDot(old);
    if (dot == std::string_view::npos)
        return Give(View(newBaseName));
    return Give(Join({View(newBaseName), old.substr(dot)}));
}

char* ReplaceExtension(const char* name, const char* newExtension)
{
    return Give(Join({BaseOf(View(name)), ".", View(newExtension)}));
}

char* AddSuffixToFileName(const char* name, const char* suffix)
{
    const std::string_view n = View(name);
    const std::size_t dot = ExtensionDot(n);
    if (dot == std::string_view::npos)
        return Give(Join({BaseOf(n), View(suffix)}));
    return Give(Join({n.substr(0, dot), View(suffix), n.substr(dot)}));
}
