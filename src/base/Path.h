#pragma once

#include <QByteArray>
#include <QString>

// Linux names are bytes, and most of them are UTF-8. The program works on text, so every name and path
// crosses between the two here, and the crossing is reversible: valid UTF-8 decodes as usual, and each
// byte that is not part of valid UTF-8 becomes the lone surrogate U+DC80 + byte, which encoding turns back
// into that byte. Decoding then encoding gives back every byte string exactly, so a name in an old
// encoding (Latin-1 "caf\xe9") can be listed, compared, opened, copied and deleted like any other, and
// two names that differ only in such bytes stay two names.
//
// QFile::encodeName/decodeName are not reversible (a stray byte becomes U+FFFD): never use them for a
// name or path that came from the file system.

QByteArray EncodeFileName(const QString& text);
QString DecodeFileName(const QByteArray& bytes);
QString DecodeFileName(const char* bytes, qsizetype length);
// prefix + "/" + DecodeFileName(bytes, length), built in one allocation when the name is ASCII (a scan
// makes one such key per entry).
QString DecodeFileNameAfter(const QString& prefix, const char* bytes, qsizetype length);

// The text for a person: each byte that is not UTF-8 written as "\xHH" (lower-case hex), as parvexcmd
// writes it. Only for showing: the result no longer names the object.
QString DisplayFileName(const QString& text);

// The name as one field of a line: DisplayFileName, with a backslash, tab, line feed and carriage return
// of the name written as \\, \t, \n and \r, so that a field never splits and can be read back byte for
// byte. parvexcmd writes names so, and the error log too.
QString EscapedFileName(const QString& text);

// Whether text holds a byte that is not UTF-8 (an escaped byte, see above).
bool HasEscapedBytes(const QString& text);

// A path as text in the reversible form above, with the separator "/" and the rules for joining, parents,
// ancestors and the final "/" in one place. A folder path with and without its final "/" names the same
// folder; the program writes folder paths with it (WithSlash) where it appends names, and without it
// (WithoutSlash) where it shows or compares folders. Paths are case-sensitive, as Linux names are.
class Path final
{
public:
    Path() = default;
    explicit Path(const QString& text) : m_text(text) {}

    static Path FromBytes(const QByteArray& bytes) { return Path(DecodeFileName(bytes)); }
    QByteArray ToBytes() const { return EncodeFileName(m_text); }

    const QString& Text() const { return m_text; }
    // DisplayFileName of the text.
    QString Display() const { return DisplayFileName(m_text); }

    bool IsEmpty() const { return m_text.isEmpty(); }
    bool IsAbsolute() const { return m_text.startsWith(QLatin1Char('/')); }
    bool EndsWithSlash() const { return m_text.endsWith(QLatin1Char('/')); }

    // Empty stays empty; otherwise ends with exactly the "/" it had or one added.
    Path WithSlash() const { return Path(WithSlash(m_text)); }
    // Without one final "/" (the root "/" becomes empty, so that a folder row's text "/name" appended to it
    // still names "/name").
    Path WithoutSlash() const { return Path(WithoutSlash(m_text)); }
    static QString WithSlash(const QString& text);
    static QString WithoutSlash(const QString& text);

    // This path and one relative part: "/a" / "b", "/a/" / "b" and "/a" / "/b" are all "/a/b" (a folder
    // row's text begins with "/"). A final "/" of the part is kept. An empty part gives the folder with its
    // final "/"; an empty path gives the part.
    Path operator/(const QString& part) const;
    Path operator/(const Path& part) const { return *this / part.m_text; }
    Path& operator/=(const QString& part) { return *this = *this / part; }

    // The folder that holds this object, without a final "/" ("/a/b/" -> "/a", "/a" -> "/"); empty for
    // "/", for a single relative name and for an empty path.
    Path ParentPath() const;
    // The last name of the path, a final "/" ignored ("/a/b/" -> "b"); empty for "/" and an empty path.
    QString FileName() const;
    // Whether this path lies strictly below other ("/a/b" below "/a" and "/a/", not below "/ab" nor "/a").
    bool HasAncestor(const Path& other) const;

    friend bool operator==(const Path& a, const Path& b) { return a.m_text == b.m_text; }
    friend bool operator!=(const Path& a, const Path& b) { return !(a == b); }
    friend bool operator<(const Path& a, const Path& b) { return a.m_text < b.m_text; }

private:
    QString m_text;
};

size_t qHash(const Path& path, size_t seed = 0) noexcept;
