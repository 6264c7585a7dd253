#include "RawNames.h"
#include "TestSupport.h"

#include <QProcess>
#include <gtest/gtest.h>

// parvexcmd compare over names that are not UTF-8 and a tree deeper than one path can name: every name is
// listed and written escaped, one line per pair, and the run ends as for any other pair of folders.
class ParvexCmdNames : public ::testing::Test
{
protected:
    static constexpr qint64 T0 = 1685620800;

    void SetUp() override
    {
        bin = PrivateParvexCmdFolder(tmp);
        left = tmp.createFolder(QStringLiteral("left"));
        right = tmp.createFolder(QStringLiteral("right"));
    }

    // Runs compare with every setting given; answers the exit code and fills lines and errors.
    int Compare(const QStringList& extra = {})
    {
        QProcess p;
        // The folders go as bytes: a folder name that is not UTF-8 must reach the program unchanged.
        p.start(bin + QStringLiteral("/parvexcmd"),
                QStringList{QStringLiteral("compare"), QStringLiteral("--method"), QStringLiteral("contents"),
                            QStringLiteral("--subfolders"), QStringLiteral("--no-ignore-2sec"),
                            QStringLiteral("--no-ignore-dst"), QStringLiteral("--include"), QString(),
                            QStringLiteral("--exclude"), QString()}
                    + extra + QStringList{left, right});
        EXPECT_TRUE(p.waitForFinished(60000));
        lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        errors = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    TempDir tmp;
    QString bin;
    QString left;
    QString right;
    QStringList lines;
    QString errors;
};

TEST_F(ParvexCmdNames, NamesThatAreNotUtf8AreComparedAndWrittenEscaped)
{
    const RawTreeCleanup cleanup(tmp.path());
    CreateRawFile(left, "caf\xe9", "same", T0);
    CreateRawFile(right, "caf\xe9", "same", T0);
    CreateRawFile(left, "\xff\xfe", "only left", T0);
    EXPECT_EQ(Compare(), 1) << errors.toStdString();
    EXPECT_EQ(errors, QString());
    EXPECT_EQ(lines, (QStringList{QStringLiteral("caf\\xe9\t4\tSame\tcaf\\xe9\t4\tSame"),
                                  QStringLiteral("\\xff\\xfe\t9\tOrphan\t\t\t")}))
        << lines.join(QLatin1Char('\n')).toStdString();

    // Only the same names left: the pair is the same, whatever the bytes of its names.
    ::unlink((EncodeFileName(left) + "/\xff\xfe").constData());
    EXPECT_EQ(Compare(), 0) << errors.toStdString();
    EXPECT_EQ(lines, QStringList{QStringLiteral("caf\\xe9\t4\tSame\tcaf\\xe9\t4\tSame")});
}

TEST_F(ParvexCmdNames, TreesDeeperThanOnePathAreCompared)
{
    const RawTreeCleanup cleanup(tmp.path());
    const QString leftBottom = MakeDeepTree(left, 26, "deep and equal", T0);
    MakeDeepTree(right, 26, "deep and equal", T0);
    ASSERT_GT(EncodeFileName(leftBottom).size(), 5000);
    EXPECT_EQ(Compare(), 0) << errors.toStdString() << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(errors, QString());
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("IdenticalFolder"))) << lines[0].toStdString();
}
