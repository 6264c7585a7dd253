#include "CompareFixture.h"

#include <QElapsedTimer>
#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

void Link(const QString& target, const QString& at)
{
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(at).constData()), 0)
        << qPrintable(at) << ": " << std::strerror(errno);
}

void Fifo(const QString& at)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(at).constData(), 0600), 0) << qPrintable(at);
}

// A bound AF_UNIX socket leaves a socket file behind; the descriptor may close at once.
void Socket(const QString& at)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(at);
    ASSERT_LT(static_cast<size_t>(path.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0) << std::strerror(errno);
    ::close(fd);
}

} // namespace

class LinkCompareTest : public CompareFixture
{
protected:
    // Every left and right name the run listed below the sub-folders, with its category.
    QStringList DiffNames() const
    {
        QStringList names;
        for (const CSubFolderDiffs& diffs : results->allSubFolderDiffs) {
            for (size_t i = 0; i < diffs.DiffOne().size(); ++i) {
                const ResultRow& l = diffs.DiffOne()[i];
                const ResultRow& r = diffs.DiffTwo()[i];
                names << (l.IsPlaceholder() ? QString() : diffs.strSubFolderName() + QLatin1Char('/') + l.text) + QLatin1Char('|')
                             + (r.IsPlaceholder() ? QString() : diffs.TargetSubFolderName() + QLatin1Char('/') + r.text);
            }
        }
        return names;
    }
};

// A link to a folder below the compared folders is never walked into: a link to "/" on both sides, and
// thirty levels of two links to the next folder each, finish at once; the links compare by target text.
TEST_F(LinkCompareTest, LinksToFoldersAreNeverFollowed)
{
    L(QStringLiteral("sub/keep.txt"), "k", T0);
    R(QStringLiteral("sub/keep.txt"), "k", T0);
    Link(QStringLiteral("/"), tmp.file(QStringLiteral("left/sub/r")));
    Link(QStringLiteral("/"), tmp.file(QStringLiteral("right/sub/r")));
    for (const char* side : {"left", "right"}) {
        for (int level = 0; level < 31; ++level) {
            const QString folder = QStringLiteral("%1/chain/f%2").arg(QString::fromLatin1(side)).arg(level);
            tmp.createFolder(folder);
            Link(QStringLiteral("../f%1").arg(level + 1), tmp.file(folder + QStringLiteral("/a")));
            Link(QStringLiteral("../f%1").arg(level + 1), tmp.file(folder + QStringLiteral("/b")));
        }
        tmp.createFolder(QString::fromLatin1(side) + QStringLiteral("/chain/f31"));
    }
    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(Run(), CompareOutcome::Completed);
    EXPECT_LT(timer.elapsed(), 1000) << "a walk went through the links";
    EXPECT_EQ(Rows(), (Strings({"/chain|IdenticalFolder|/chain|IdenticalFolder", "/sub|IdenticalFolder|/sub|IdenticalFolder"})));
}

// "self -> ." and "up -> .." are entries of the left folder, not doors into it or into its parent: the
// right folder's files never appear under the left.
TEST_F(LinkCompareTest, LinksUpAndToItselfListNothingOfTheOtherSide)
{
    R(QStringLiteral("sub/right-only.txt"), "r", T0);
    tmp.createFolder(QStringLiteral("left/sub"));
    Link(QStringLiteral("."), tmp.file(QStringLiteral("left/sub/self")));
    Link(QStringLiteral(".."), tmp.file(QStringLiteral("left/sub/up")));
    Link(QStringLiteral(".."), tmp.file(QStringLiteral("left/top-up")));
    ASSERT_EQ(Run(), CompareOutcome::Completed);
    EXPECT_EQ(Rows(), (Strings({"top-up|Orphan||", "/sub|DifferentFolder|/sub|DifferentFolder"})));
    QStringList names = DiffNames();
    names.sort();
    EXPECT_EQ(names, (Strings({"sub/self|", "sub/up|", "|sub/right-only.txt"})));
}

// Links compare by what they point to: dangling links with different targets differ, equal targets are
// the same whatever the times, a link to a folder against the real folder of that name keeps both.
TEST_F(LinkCompareTest, LinksCompareByTheirTargetText)
{
    Link(QStringLiteral("missing-one"), tmp.file(QStringLiteral("left/dangling")));
    Link(QStringLiteral("missing-two"), tmp.file(QStringLiteral("right/dangling")));
    Link(QStringLiteral("nowhere"), tmp.file(QStringLiteral("left/same-dangling")));
    Link(QStringLiteral("nowhere"), tmp.file(QStringLiteral("right/same-dangling")));
    tmp.createFolder(QStringLiteral("left/real"));
    tmp.createFolder(QStringLiteral("right/real"));
    Link(QStringLiteral("real"), tmp.file(QStringLiteral("left/to-real")));
    Link(QStringLiteral("/tmp"), tmp.file(QStringLiteral("right/to-real")));
    R(QStringLiteral("where/x.txt"), "x", T0);
    Link(QStringLiteral("real"), tmp.file(QStringLiteral("left/where")));
    ASSERT_EQ(Run(), CompareOutcome::Completed);
    EXPECT_EQ(Rows(), (Strings({"dangling|Binary|dangling|Binary", "same-dangling|Same|same-dangling|Same",
                                "to-real|Binary|to-real|Binary", "where|Orphan||",
                                "/real|IdenticalFolder|/real|IdenticalFolder", "||/where|OrphanFolder"})));
}

// A FIFO, a socket or a link is never the same as a file, even an empty one; a file against a folder of
// the same name leaves both visible, neither taken for the other.
TEST_F(LinkCompareTest, ObjectsOfDifferentKindsAreNeverSame)
{
    L(QStringLiteral("pipe"), "", T0);
    Fifo(tmp.file(QStringLiteral("right/pipe")));
    L(QStringLiteral("sock"), "", T0);
    Socket(tmp.file(QStringLiteral("right/sock")));
    L(QStringLiteral("plain"), "", T0);
    Link(QStringLiteral("elsewhere"), tmp.file(QStringLiteral("right/plain")));
    L(QStringLiteral("both"), "file", T0);
    R(QStringLiteral("both/inside.txt"), "i", T0);
    L(QStringLiteral("deep/x"), "file", T0);
    R(QStringLiteral("deep/x/inside.txt"), "i", T0);
    Fifo(tmp.file(QStringLiteral("left/deep/fifo")));
    R(QStringLiteral("deep/fifo"), "", T0);
    for (int method : {CCompare::Quick, CCompare::ThoroughString}) {
        ctx->Compare().SetCompareMethod(method);
        ASSERT_EQ(Run(), CompareOutcome::Completed);
        EXPECT_EQ(Rows(), (Strings({"both|Orphan||", "pipe|Binary|pipe|Binary", "plain|Binary|plain|Binary",
                                    "sock|Binary|sock|Binary", "||/both|OrphanFolder",
                                    "/deep|DifferentFolder|/deep|DifferentFolder"})))
            << "method " << method;
        QStringList names = DiffNames();
        names.sort();
        EXPECT_EQ(names, (Strings({"deep/fifo|deep/fifo", "deep/x|", "|deep/x/", "|deep/x/inside.txt"}))) << "method " << method;
    }
}
