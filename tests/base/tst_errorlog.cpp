#include "base/ErrorLog.h"
#include "base/Path.h"

#include <cerrno>
#include <gtest/gtest.h>

// Whatever failed, an entry names the object, one line long and with its bytes recoverable, and gives the
// system's own reason next to the failure's description.
TEST(ErrorLogEntry, NamesThePathEscapedWithTheSystemsReason)
{
    const QString name = DecodeFileName(QByteArray("/d/caf\xe9\nx\\y"));
    const QStringList tooLong = ErrorLog::EntryLines(name, QStringLiteral("Opening the file"),
                                                     Failure::FromErrno(ENAMETOOLONG, true));
    ASSERT_EQ(tooLong.size(), 6);
    EXPECT_EQ(tooLong[3], QStringLiteral("File Name: /d/caf\\xe9\\nx\\\\y"));
    EXPECT_EQ(tooLong[5], QStringLiteral("Error: Bad file name or number (File name too long)"));

    const QStringList notText = ErrorLog::EntryLines(name, QStringLiteral("Opening the file"),
                                                     Failure::FromErrno(EILSEQ, true));
    EXPECT_EQ(notText[3], tooLong[3]);

    // A failure of our own has no system reason to add.
    const QStringList own = ErrorLog::EntryLines(QStringLiteral("/d/a"), QStringLiteral("Reading bytes"),
                                                 Failure(Failure::DeviceIOError, QStringLiteral("Device I/O error")));
    EXPECT_EQ(own[5], QStringLiteral("Error: Device I/O error"));
}
