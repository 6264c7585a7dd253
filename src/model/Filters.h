#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <string>
#include <utility>
#include <vector>

// Filter texts are comma-separated lists of wildcard patterns ("*.txt, *.doc, /temp"), matched against
// whole names ignoring case: "*" any run of characters, "?" one character, "#" one digit, "[abc]" one of
// the listed characters, "[!abc]" any other, "[a-z]" a range. A pattern that begins with "/" (or "\",
// the form older filter texts use) is a folder pattern: folder names are matched with a "/" in front.

// Appends the pieces of text split at ",", trimmed, to list; empty pieces stay as empty patterns. An
// empty text adds nothing.
void ParseFilterList(QStringList& list, const QString& text);

// Whether name matches one of the patterns. Compiles the patterns on every call: a loop over many names
// should build a FilterSet once instead.
bool MatchesAnyFilter(const QString& name, const QStringList& list);

// Whether a pattern names folders.
bool IsFolderPattern(QStringView pattern);

// Appends names to a filter text: after a "," unless the text is empty or already ends with one; no
// blanks are added and duplicates are not checked (the "Add Selected Objects to Filter" commands).
QString AppendToFilterText(QString filterText, const QStringList& names);

// One compiled wildcard pattern.
class WildcardPattern final
{
public:
    explicit WildcardPattern(QStringView pattern);

    // name must already be case-folded code points (FilterSet does that once per name).
    bool Matches(const char32_t* name, qsizetype length) const;

private:
    enum class Kind : unsigned char { Char, AnyOne, Digit, InSet, NotInSet, Star };
    enum class Shape : unsigned char { General, Everything, Literal, Suffix, Prefix };
    struct Token
    {
        Kind kind;
        char32_t ch;   // Char
        int set;       // InSet, NotInSet: index into m_sets
    };
    using Ranges = std::vector<std::pair<char32_t, char32_t>>;

    bool TokenMatches(const Token& t, char32_t c) const;
    bool MatchGeneral(const char32_t* name, qsizetype length) const;

    std::vector<Token> m_tokens;
    std::vector<Ranges> m_sets;
    std::u32string m_literal; // the literal part of the Literal, Suffix and Prefix shapes
    Shape m_shape = Shape::General;
};

// A list of patterns compiled once, for matching many names (a scan of a million files).
class FilterSet final
{
public:
    FilterSet() = default;
    explicit FilterSet(const QStringList& patterns);

    bool IsEmpty() const { return m_patterns.empty(); }
    // Whether a file name matches one of the patterns.
    bool MatchesAny(QStringView name) const;
    // Whether the folder called folderName (no leading "/") matches, tested as "/" + folderName.
    bool MatchesAnyFolder(QStringView folderName) const;

private:
    bool MatchesFolded(QStringView name, bool asFolder) const;

    std::vector<WildcardPattern> m_patterns;
};
