#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

// An INI file read and parsed once, in the syntax IniProfile describes, answering any number of look-ups
// from memory and taking changes that Save writes back whole. Lines that no change touches keep their
// bytes and line endings.
//
// A file that exists but cannot be read (no permission, a folder in its place) or that is not UTF-8 text
// (binary bytes, another encoding) is Unreadable: it answers no values and is never written, since
// writing it would lose whatever could not be read.
class IniDocument final
{
public:
    enum class State { Missing, Read, Unreadable };

    static IniDocument Load(const QString& file);
    // A document of data as Load would read it from file (the file Save writes); Unreadable when data is
    // not UTF-8 text.
    static IniDocument FromBytes(const QByteArray& data, const QString& file = {});

    IniDocument(IniDocument&&) noexcept = default;
    IniDocument& operator=(IniDocument&&) noexcept = default;
    Q_DISABLE_COPY(IniDocument)

    const QString& File() const { return m_file; }
    State Status() const { return m_state; }
    // Why an Unreadable file could not be read ("Permission denied", "it is not UTF-8 text").
    const QString& Problem() const { return m_problem; }

    // The value of key in section without surrounding blanks; none when either is missing. The first
    // section of a name counts, and the first key of a name in it.
    std::optional<QString> Value(const QString& section, const QString& key) const;
    // Whether a "[section]" line of that name is there (without regard to case).
    bool HasSection(const QString& section) const;

    // Sets key in section: in place when the key exists, otherwise after the section's last line (blank
    // lines before the next section stay there); a missing section is added at the end. Names or values
    // that would break the line structure are refused, as is any change to an Unreadable document.
    bool Set(const QString& section, const QString& key, const QString& value);
    // Whether Set changed anything since the load.
    bool Changed() const { return m_changed; }

    // Replaces the file with the document through a temporary file (platform/AtomicFile.h). Answers false,
    // leaving the file as it was, when that fails or the document is Unreadable.
    bool Save() const;
    QByteArray Bytes() const;

private:
    struct Line
    {
        QByteArray text; // without the line ending
        QByteArray ending;
    };
    // The lines before the first section, or one section from its "[name]" line to the next one.
    struct Block
    {
        QList<Line> lines;
        QHash<QString, qsizetype> keys; // folded key name -> line of its first occurrence
    };

    IniDocument() = default;
    void Parse(const QByteArray& data);
    Line* LastLine();

    QString m_file;
    State m_state = State::Missing;
    QString m_problem;
    QByteArray m_byteOrderMark;
    QByteArray m_newline = "\n"; // the ending of lines we add: the file's own when it has one
    std::vector<Block> m_blocks;      // m_blocks[0] holds the lines before the first section
    QHash<QString, size_t> m_sections; // folded section name -> block of its first occurrence
    bool m_changed = false;
};
