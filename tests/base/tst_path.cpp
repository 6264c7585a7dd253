#include "base/Path.h"

#include <QRandomGenerator>
#include <QSet>
#include <gtest/gtest.h>

namespace {

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (const int v : values)
        out += static_cast<char>(v);
    return out;
}

QString Escaped(int byte) { return QString(QChar(char16_t(0xDC00 + byte))); }

} // namespace

// Every single byte decodes and encodes back to itself; a byte of 0x80 or more is never text by itself.
TEST(FileNameBoundary, EverySingleByteRoundTrips)
{
    for (int b = 1; b < 256; ++b) {
        const QByteArray bytes = Bytes({b});
        const QString text = DecodeFileName(bytes);
        EXPECT_EQ(EncodeFileName(text), bytes) << b;
        if (b < 0x80)
            EXPECT_EQ(text, QString(QChar(b))) << b;
        else
            EXPECT_EQ(text, Escaped(b)) << b;
    }
}

TEST(FileNameBoundary, RandomByteStringsRoundTripAndStayDistinct)
{
    QRandomGenerator random(20261209);
    QSet<QString> texts;
    QSet<QByteArray> inputs;
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes(random.bounded(1, 40), Qt::Uninitialized);
        for (char& c : bytes) {
            // Lean towards the bytes of multi-byte sequences, where decoding can go wrong.
            const int kind = random.bounded(4);
            c = static_cast<char>(kind == 0 ? random.bounded(1, 0x80) : kind == 1 ? random.bounded(0x80, 0xC0)
                                                                      : random.bounded(0xC0, 0x100));
        }
        const QString text = DecodeFileName(bytes);
        ASSERT_EQ(EncodeFileName(text), bytes) << bytes.toHex().constData();
        inputs.insert(bytes);
        texts.insert(text);
    }
    // Different byte strings never decode to one text.
    EXPECT_EQ(texts.size(), inputs.size());
}

TEST(FileNameBoundary, ValidUtf8DecodesAsText)
{
    const QString text = QString::fromUtf8("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80");
    EXPECT_EQ(DecodeFileName(text.toUtf8()), text);
    EXPECT_EQ(EncodeFileName(text), text.toUtf8());
    EXPECT_FALSE(HasEscapedBytes(text));
    EXPECT_EQ(DisplayFileName(text), text);
    // U+10080 is the pair D800 DC80: its low half is a character, not the escaped byte 0x80.
    const QByteArray u10080("\xf0\x90\x82\x80");
    EXPECT_FALSE(HasEscapedBytes(DecodeFileName(u10080)));
    EXPECT_EQ(EncodeFileName(DecodeFileName(u10080)), u10080);
    EXPECT_EQ(DecodeFileName(QByteArray()), QString());
}

// Valid parts of a mixed name stay text; every byte that is not part of a well-formed sequence is kept on
// its own.
TEST(FileNameBoundary, MalformedSequencesEscapeByteByByte)
{
    struct Case
    {
        const char* name;
        QByteArray bytes;
        QString text;
    };
    const Case cases[] = {
        {"latin-1", QByteArray("caf\xe9"), QStringLiteral("caf") + Escaped(0xe9)},
        {"two-stray-bytes", Bytes({0xff, 0xfe}), Escaped(0xff) + Escaped(0xfe)},
        {"valid-then-stray", QByteArray("\xc3\xa9\xe9"), QString(QChar(0xe9)) + Escaped(0xe9)},
        {"overlong-slash", Bytes({0xc0, 0xaf}), Escaped(0xc0) + Escaped(0xaf)},
        {"overlong-three-byte", Bytes({0xe0, 0x80, 0xaf}), Escaped(0xe0) + Escaped(0x80) + Escaped(0xaf)},
        {"encoded-surrogate", Bytes({0xed, 0xb2, 0x80}), Escaped(0xed) + Escaped(0xb2) + Escaped(0x80)},
        {"past-10ffff", Bytes({0xf4, 0x90, 0x80, 0x80}), Escaped(0xf4) + Escaped(0x90) + Escaped(0x80) + Escaped(0x80)},
        {"truncated-at-end", Bytes({'a', 0xe2, 0x82}), QStringLiteral("a") + Escaped(0xe2) + Escaped(0x82)},
        {"truncated-before-ascii", Bytes({0xe2, 0x82, 'b'}), Escaped(0xe2) + Escaped(0x82) + QStringLiteral("b")},
        {"lone-continuation", Bytes({0x80, 'x'}), Escaped(0x80) + QStringLiteral("x")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeFileName(c.bytes), c.text) << c.name;
        EXPECT_EQ(EncodeFileName(c.text), c.bytes) << c.name;
        EXPECT_TRUE(HasEscapedBytes(c.text)) << c.name;
    }
    EXPECT_EQ(DisplayFileName(DecodeFileName(QByteArray("caf\xe9"))), QStringLiteral("caf\\xe9"));
    EXPECT_EQ(DisplayFileName(DecodeFileName(Bytes({0xff, 0xfe}))), QStringLiteral("\\xff\\xfe"));
}

// A field written for a line says exactly which bytes the name holds: a backslash of the name is doubled,
// so the name "\xff" (four characters) and the byte 0xff are told apart.
TEST(FileNameBoundary, EscapedFieldsStayOnOneLineAndApart)
{
    EXPECT_EQ(EscapedFileName(QStringLiteral("plain name.txt")), QStringLiteral("plain name.txt"));
    EXPECT_EQ(EscapedFileName(QStringLiteral("a\tb\nc\rd\\e")), QStringLiteral("a\\tb\\nc\\rd\\\\e"));
    EXPECT_EQ(EscapedFileName(DecodeFileName(QByteArray("\\xff"))), QStringLiteral("\\\\xff"));
    EXPECT_EQ(EscapedFileName(DecodeFileName(QByteArray("\xff\tx"))), QStringLiteral("\\xff\\tx"));
}

TEST(Path, TrailingSlash)
{
    EXPECT_EQ(Path::WithSlash(QString()), QString());
    EXPECT_EQ(Path::WithSlash(QStringLiteral("/a")), QStringLiteral("/a/"));
    EXPECT_EQ(Path::WithSlash(QStringLiteral("/a/")), QStringLiteral("/a/"));
    EXPECT_EQ(Path::WithoutSlash(QStringLiteral("/a/")), QStringLiteral("/a"));
    EXPECT_EQ(Path::WithoutSlash(QStringLiteral("/a")), QStringLiteral("/a"));
    EXPECT_EQ(Path::WithoutSlash(QStringLiteral("/")), QString());
    EXPECT_EQ(Path::WithoutSlash(QString()), QString());
    EXPECT_TRUE(Path(QStringLiteral("/a/")).EndsWithSlash());
}

TEST(Path, JoiningOnePart)
{
    const Path a(QStringLiteral("/a"));
    EXPECT_EQ((a / QStringLiteral("b")).Text(), QStringLiteral("/a/b"));
    EXPECT_EQ((Path(QStringLiteral("/a/")) / QStringLiteral("b")).Text(), QStringLiteral("/a/b"));
    EXPECT_EQ((a / QStringLiteral("/b")).Text(), QStringLiteral("/a/b"));
    EXPECT_EQ((a / QStringLiteral("b/")).Text(), QStringLiteral("/a/b/"));
    EXPECT_EQ((a / QString()).Text(), QStringLiteral("/a/"));
    EXPECT_EQ((Path(QStringLiteral("/")) / QStringLiteral("b")).Text(), QStringLiteral("/b"));
    EXPECT_EQ((Path() / QStringLiteral("b")).Text(), QStringLiteral("b"));
    // A name with an escaped byte joins and converts back to the same bytes.
    const Path mixed = a / DecodeFileName(QByteArray("caf\xe9"));
    EXPECT_EQ(mixed.ToBytes(), QByteArray("/a/caf\xe9"));
    EXPECT_EQ(Path::FromBytes(mixed.ToBytes()), mixed);
    EXPECT_EQ(mixed.Display(), QStringLiteral("/a/caf\\xe9"));
}

TEST(Path, ParentsAndNames)
{
    struct Case
    {
        const char* path;
        const char* parent;
        const char* name;
    };
    const Case cases[] = {
        {"/a/b", "/a", "b"}, {"/a/b/", "/a", "b"}, {"/a", "/", "a"}, {"/", "", ""},
        {"a/b", "a", "b"},   {"a", "", "a"},       {"", "", ""},
    };
    for (const Case& c : cases) {
        const Path path(QString::fromLatin1(c.path));
        EXPECT_EQ(path.ParentPath().Text(), QString::fromLatin1(c.parent)) << c.path;
        EXPECT_EQ(path.FileName(), QString::fromLatin1(c.name)) << c.path;
    }
}

TEST(Path, Ancestors)
{
    const Path ab(QStringLiteral("/a/b"));
    EXPECT_TRUE(ab.HasAncestor(Path(QStringLiteral("/a"))));
    EXPECT_TRUE(ab.HasAncestor(Path(QStringLiteral("/a/"))));
    EXPECT_TRUE(ab.HasAncestor(Path(QStringLiteral("/"))));
    EXPECT_FALSE(ab.HasAncestor(ab));
    EXPECT_FALSE(Path(QStringLiteral("/a/")).HasAncestor(Path(QStringLiteral("/a"))));
    EXPECT_FALSE(Path(QStringLiteral("/ab")).HasAncestor(Path(QStringLiteral("/a"))));
    EXPECT_FALSE(Path(QStringLiteral("/A/b")).HasAncestor(Path(QStringLiteral("/a"))));
    EXPECT_FALSE(ab.HasAncestor(Path()));
    EXPECT_FALSE(Path(QStringLiteral("/")).HasAncestor(Path(QStringLiteral("/"))));
}
