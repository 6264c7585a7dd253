#include "ModelFixture.h"

#include "model/FilterStore.h"
#include "platform/CIniFile.h"

#include <QFile>

namespace {

} // namespace

class FilterStore : public ModelFixture
{
};

TEST_F(FilterStore, ListFileRoundTrip)
{
    const QString file = work.file(QStringLiteral("mine.lst"));
    const QString include = QStringLiteral("*.txt, *.doc,/Docs");
    const QString exclude = QStringLiteral("*.bak,\\temp,\xE9t\xE9*");
    ASSERT_TRUE(WriteFilterListFile(ctx->Errors(), file, include, exclude));
    EXPECT_EQ(FileBytes(file), include.toUtf8() + "\r\n" + exclude.toUtf8() + "\r\n");

    QString readInclude;
    QString readExclude;
    ASSERT_TRUE(ReadFilterListFile(ctx->Errors(), file, readInclude, readExclude));
    EXPECT_EQ(readInclude, include);
    EXPECT_EQ(readExclude, exclude);

    // Empty texts are two empty lines and read back as such.
    ASSERT_TRUE(WriteFilterListFile(ctx->Errors(), file, QString(), QString()));
    ASSERT_TRUE(ReadFilterListFile(ctx->Errors(), file, readInclude, readExclude));
    EXPECT_TRUE(readInclude.isEmpty() && readExclude.isEmpty());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(FilterStore, ReadingTakesTheFirstTwoLinesWhateverTheLineEnds)
{
    QString include;
    QString exclude;
    ASSERT_TRUE(ReadFilterListFile(ctx->Errors(), work.createFile(QStringLiteral("lf.lst"), "*.c\n*.o\nextra\n"), include, exclude));
    EXPECT_EQ(include, QStringLiteral("*.c"));
    EXPECT_EQ(exclude, QStringLiteral("*.o"));
    ASSERT_TRUE(ReadFilterListFile(ctx->Errors(), work.createFile(QStringLiteral("open.lst"), "*.c\r\n*.h"), include, exclude));
    EXPECT_EQ(exclude, QStringLiteral("*.h"));
}

TEST_F(FilterStore, ShortOrMissingFileIsReportedAndChangesNothing)
{
    for (const QByteArray& content : {QByteArray("only one\r\n"), QByteArray()}) {
        dialogs.clear();
        QString include = QStringLiteral("keep-in");
        QString exclude = QStringLiteral("keep-ex");
        EXPECT_FALSE(ReadFilterListFile(ctx->Errors(), work.createFile(QStringLiteral("short.lst"), content), include, exclude));
        EXPECT_EQ(include, QStringLiteral("keep-in"));
        EXPECT_EQ(exclude, QStringLiteral("keep-ex"));
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("Source: frmOptions.cmdLoadList\r\n")));
    }
    dialogs.clear();
    QString include;
    QString exclude;
    EXPECT_FALSE(ReadFilterListFile(ctx->Errors(), work.file(QStringLiteral("none.lst")), include, exclude));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("Source: frmOptions.cmdLoadList\r\n")));

    dialogs.clear();
    EXPECT_FALSE(WriteFilterListFile(ctx->Errors(), work.file(QStringLiteral("no/such/folder/x.lst")), include, exclude));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("Source: frmOptions.cmdSaveList\r\n")));
}

TEST_F(FilterStore, SaveFiltersToIniWritesBothKeys)
{
    SaveFiltersToIni(ctx->AppFolder(), ctx->Dialogs(), ctx->Errors(), QStringLiteral("*.txt,/Docs"), QStringLiteral("*.bak"));
    CIniFile ini(ctx->AppFolder(), ctx->Dialogs());
    ini.SetName(QStringLiteral("parvex.ini"));
    EXPECT_EQ(ini.Get(QStringLiteral("Options"), QStringLiteral("IncludeFileTypes"), QString()), QStringLiteral("*.txt,/Docs"));
    EXPECT_EQ(ini.Get(QStringLiteral("Options"), QStringLiteral("ExcludeFileTypes"), QString()), QStringLiteral("*.bak"));
    EXPECT_TRUE(QFile::exists(ctx->AppFile(QStringLiteral("parvex.ini"))));
}
