#include "CompareFixture.h"
#include "RawNames.h"

#include "base/Path.h"

// A tree whose paths pass the 4,096 bytes one system call takes: listed, opened and compared like any
// other, its contents read, and nothing logged.
class DeepTreeCompare : public CompareFixture
{
};

TEST_F(DeepTreeCompare, ContentsBelowTheLongestPathAreCompared)
{
    const RawTreeCleanup cleanup(tmp.path());
    const QString leftBottom = MakeDeepTree(left, 26, "deep one", T0);
    MakeDeepTree(right, 26, "deep two", T0);
    ASSERT_GT(EncodeFileName(leftBottom).size(), 5000);
    ctx->Compare().SetCompareMethod(CCompare::ThoroughString);

    ASSERT_EQ(Run(true), CompareOutcome::Completed);
    const QString top = QLatin1Char('/') + DecodeFileName(DeepLevelName(0));
    EXPECT_EQ(Rows(), QStringList{top + QStringLiteral("|DifferentFolder|") + top + QStringLiteral("|DifferentFolder")});
    EXPECT_FALSE(ctx->Compare().ErrorsDuringCompare());
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // Same bytes at the bottom: the whole tree is the same.
    const QString same[] = {tmp.createFolder(QStringLiteral("left2")), tmp.createFolder(QStringLiteral("right2"))};
    MakeDeepTree(same[0], 26, "deep one", T0);
    MakeDeepTree(same[1], 26, "deep one", T0);
    ASSERT_EQ(Run(true, same[0], same[1]), CompareOutcome::Completed);
    EXPECT_EQ(Rows(), QStringList{top + QStringLiteral("|IdenticalFolder|") + top + QStringLiteral("|IdenticalFolder")});
    EXPECT_FALSE(ctx->Compare().ErrorsDuringCompare());
}
