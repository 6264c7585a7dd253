#include "diff/TwoFileChecks.h"

#include "base/ErrorHandler.h"
#include "base/ErrorLog.h"
#include "base/Failure.h"
#include "base/Path.h"
#include "base/ProgressSink.h"
#include "base/UserDialogs.h"
#include "compare/CCRC32.h"
#include "compare/CCompare.h"
#include "compare/ContentCompare.h"
#include "compare/FileReader.h"
#include "compare/RowFormat.h"
#include "compare/Sha1.h"
#include "compare/TimeRules.h"
#include "diff/PeVersion.h"
#include "platform/ParvexLib.h"

#include <cerrno>
#include <optional>
#include <sys/stat.h>

namespace {

constexpr qint64 LeadingByteCount = 37;

const QString Different = QStringLiteral("The files are different");
const QString Same = QStringLiteral("The files are the same");

struct FileFacts
{
    qint64 size = 0;
    qint64 ticks = 0; // UTC
};

FileFacts Facts(const QString& path)
{
    struct stat st{};
    if (::stat(EncodeFileName(path).constData(), &st) != 0)
        throw Failure::FromErrno(errno, true);
    return {qint64(st.st_size), qint64(st.st_mtim.tv_sec) * TicksPerSecond + qint64(st.st_mtim.tv_nsec) / 100 + UnixEpochTicks};
}

// Ends the long-check state on every way out of a check.
class LongCheck final
{
public:
    explicit LongCheck(TwoFileChecksView& view) : m_view(view) { m_view.LongCheckStarted(); }
    ~LongCheck() { m_view.LongCheckEnded(); }
    Q_DISABLE_COPY_MOVE(LongCheck)

private:
    TwoFileChecksView& m_view;
};

} // namespace

QString TwoFileCheckText(TwoFileCheck check)
{
    switch (check) {
    case TwoFileCheck::Size: return QStringLiteral("   Size");
    case TwoFileCheck::DateTime: return QStringLiteral("   Date/Time");
    case TwoFileCheck::Version: return QStringLiteral("   Version");
    case TwoFileCheck::BinaryContents: return QStringLiteral("   Binary Contents");
    case TwoFileCheck::Crc32: return QStringLiteral("   CRC32");
    case TwoFileCheck::Sha1: break;
    }
    return QStringLiteral("   SHA1");
}

bool IsExistingFile(const QString& path)
{
    if (path.isEmpty())
        return false;
    struct stat st{};
    return ::stat(EncodeFileName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool CheckTwoFilePaths(UserDialogs& dialogs, const QString& fileOne, const QString& fileTwo)
{
    const QString title = QStringLiteral("File Not Found");
    const auto refuse = [&](const QString& text) {
        dialogs.Message(text, title, UserDialogs::Icon::Warning);
        return false;
    };
    if (fileOne.trimmed().isEmpty())
        return refuse(QStringLiteral("File 1 not specified."));
    if (!IsExistingFile(fileOne))
        return refuse(QLatin1Char('"') + fileOne + QStringLiteral("\" is not an existing file."));
    if (fileTwo.trimmed().isEmpty())
        return refuse(QStringLiteral("File 2 not specified."));
    if (!IsExistingFile(fileTwo))
        return refuse(QLatin1Char('"') + fileTwo + QStringLiteral("\"  is not an existing file."));
    return true;
}

QString LeadingBytesInBinary(const QByteArray& leadingBytes)
{
    const QByteArray text = leadingBytes + "...";
    QString out;
    out.reserve(text.size() * 9);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i > 0)
            out += QLatin1Char(' ');
        out += QString::number(uchar(text[i]), 2).rightJustified(8, QLatin1Char('0'));
    }
    return out;
}

// One run of the checks over two files whose facts are known.
class TwoFileChecks::Pass final
{
public:
    Pass(TwoFileChecks& owner, const QString& fileOne, const QString& fileTwo)
        : m_owner(owner), m_services(owner.m_services), m_view(owner.m_view), m_rows(owner.m_rows), m_f1(fileOne),
          m_f2(fileTwo), m_facts1(Facts(fileOne)), m_facts2(Facts(fileTwo))
    {
    }

    void Size()
    {
        m_view.SetStatus(QStringLiteral("Comparing file sizes..."));
        TwoFileRow& row = Row(TwoFileCheck::Size);
        row.fileOne = m_services.lib.ConvertBytesToCorrectByteTypeString(m_facts1.size);
        row.fileTwo = m_services.lib.ConvertBytesToCorrectByteTypeString(m_facts2.size);
        if (m_facts1.size < m_facts2.size)
            Differ(row, QStringLiteral("File 1 is smaller than file 2"));
        else if (m_facts1.size > m_facts2.size)
            Differ(row, QStringLiteral("File 1 is larger than file 2"));
        else
            Agree(row, QStringLiteral("The files are the same size"));
        Changed(TwoFileCheck::Size);
    }

    void DateTime()
    {
        m_view.SetStatus(QStringLiteral("Comparing date/time..."));
        TwoFileRow& row = Row(TwoFileCheck::DateTime);
        row.fileOne = FormatDateText(m_facts1.ticks);
        row.fileTwo = FormatDateText(m_facts2.ticks);
        const qint64 d = FAT_NTFS_TimeDiffAllowance(
            FileTimeDiffSeconds(UtcToLocalTicks(m_facts1.ticks), UtcToLocalTicks(m_facts2.ticks)), m_services.compare);
        if (d > 0)
            Differ(row, QStringLiteral("File 1 is newer than file 2"));
        else if (d < 0)
            Differ(row, QStringLiteral("File 1 is older than file 2"));
        else
            Agree(row, Same);
        Changed(TwoFileCheck::DateTime);
    }

    void Version()
    {
        m_view.SetStatus(QStringLiteral("Comparing version stamps..."));
        TwoFileRow& row = Row(TwoFileCheck::Version);
        const std::optional<FileVersion> v1 = ReadPeFileVersion(m_f1);
        const std::optional<FileVersion> v2 = ReadPeFileVersion(m_f2);
        const QString none = QStringLiteral("No version stamp");
        row.fileOne = v1 ? FileVersionText(*v1) : none;
        row.fileTwo = v2 ? FileVersionText(*v2) : none;
        if (v1 && v2) {
            const int order = CompareFileVersions(*v1, *v2);
            if (order > 0)
                Differ(row, QStringLiteral("File 1 is newer than file 2"));
            else if (order < 0)
                Differ(row, QStringLiteral("File 1 is older than file 2"));
            else
                Agree(row, Same);
        } else {
            Judge(row, TwoFileVerdict::NotAvailable, QStringLiteral("Version not available for both files"));
        }
        Changed(TwoFileCheck::Version);
    }

    // Answers false when the user cancelled.
    bool Contents()
    {
        m_view.SetStatus(QStringLiteral("Comparing file contents..."));
        TwoFileRow& row = Row(TwoFileCheck::BinaryContents);
        bool different = true;
        if (m_facts1.size == m_facts2.size) {
            LongCheck running(m_view);
            StartLongCheck();
            ContentComparer comparer(m_services.compare, m_services.crc32, m_services.log);
            different = comparer.AreFileContentsDifferent(m_f1, m_f2, CCompare::ThoroughString, m_facts1.size, true,
                                                          &m_view.Bar(), &m_owner.m_pump);
            if (m_services.compare.CompareCancelled())
                return false;
        }
        if (different)
            Differ(row, Different);
        else
            Agree(row, Same);
        row.fileOne = LeadingBinary(m_f1, m_facts1.size);
        row.fileTwo = LeadingBinary(m_f2, m_facts2.size);
        Changed(TwoFileCheck::BinaryContents);
        return true;
    }

    bool Crc32()
    {
        const CCRC32& crc = m_services.crc32;
        return Checksum(TwoFileCheck::Crc32, QStringLiteral("CRC"), [&](const QString& path, qint64 size) {
            return crc.GetHexCRC32OfFile(path, size, HashContext());
        });
    }

    bool Sha1()
    {
        return Checksum(TwoFileCheck::Sha1, QStringLiteral("SHA"),
                        [&](const QString& path, qint64 size) { return GetSHA1OfFile(path, size, HashContext()); });
    }

private:
    TwoFileRow& Row(TwoFileCheck check) { return m_rows[size_t(check)]; }
    void Changed(TwoFileCheck check) { m_view.RowChanged(check, Row(check)); }
    static void Agree(TwoFileRow& row, const QString& text) { Judge(row, TwoFileVerdict::Same, text); }
    static void Differ(TwoFileRow& row, const QString& text) { Judge(row, TwoFileVerdict::Different, text); }
    static void Judge(TwoFileRow& row, TwoFileVerdict verdict, const QString& text)
    {
        row.result = text;
        row.verdict = verdict;
    }

    void StartLongCheck()
    {
        m_view.Bar().SetValue(0);
        m_services.compare.SetCompareCancelled(false);
    }

    FileHashContext HashContext() const
    {
        return {m_services.compare.ChunkSize(), &m_owner.m_pump, m_services.compare.CancelFlag(), &m_view.Bar()};
    }

    // Both files' checksums, file 1 first, then the verdict. What was computed before a cancellation
    // stays in its column ("00000000" for a cancelled CRC).
    template <typename Hash>
    bool Checksum(TwoFileCheck check, const QString& name, Hash hash)
    {
        TwoFileRow& row = Row(check);
        m_view.SetStatus(QStringLiteral("Calculating File 1 ") + name + QStringLiteral("..."));
        LongCheck running(m_view);
        StartLongCheck();
        row.fileOne = hash(m_f1, m_facts1.size);
        Changed(check);
        m_view.SetStatus(QStringLiteral("Calculating File 2 ") + name + QStringLiteral("..."));
        if (m_services.compare.CompareCancelled())
            return false;
        row.fileTwo = hash(m_f2, m_facts2.size);
        Changed(check);
        if (m_services.compare.CompareCancelled())
            return false;
        if (row.fileOne.compare(row.fileTwo, Qt::CaseInsensitive) == 0)
            Agree(row, Same);
        else
            Differ(row, Different);
        Changed(check);
        return true;
    }

    // The first bytes of a non-empty file in binary. A file that cannot be read here goes to the error
    // log like every other read failure of the run, and its column stays empty.
    QString LeadingBinary(const QString& path, qint64 size)
    {
        if (size <= 0)
            return {};
        const qint64 n = qMin(size, LeadingByteCount);
        try {
            QByteArray bytes(n, Qt::Uninitialized);
            FileReader reader(path);
            reader.ReadExactly(bytes.data(), size_t(n), 0);
            return LeadingBytesInBinary(bytes);
        } catch (...) {
            m_services.log.AppendEntry(path, ReadingStep(1, n), CurrentFailure());
            return {};
        }
    }

    TwoFileChecks& m_owner;
    const CompareServices& m_services;
    TwoFileChecksView& m_view;
    TwoFileRows& m_rows;
    const QString& m_f1;
    const QString& m_f2;
    FileFacts m_facts1;
    FileFacts m_facts2;
};

TwoFileChecks::TwoFileChecks(const CompareServices& services, TwoFileChecksView& view, EventPump& pump, bool offerLog,
                             QString failureLabel)
    : m_services(services), m_view(view), m_pump(pump), m_offerLog(offerLog), m_failureLabel(std::move(failureLabel))
{
}

TwoFileOutcome TwoFileChecks::Run(const QString& fileOne, const QString& fileTwo, const TwoFileCheckMarks& marks)
{
    CCompare& compare = m_services.compare;
    m_logWanted = false;
    TwoFileOutcome outcome = TwoFileOutcome::Done;
    try {
        compare.SetErrorsDuringCompare(false);
        compare.SetCompareCancelled(false);
        m_services.log.StartNew();
        if (!CheckTwoFilePaths(m_services.dialogs, fileOne, fileTwo)) {
            m_view.SetStatus(QString());
            return TwoFileOutcome::PathRefused;
        }
        for (int i = 0; i < TwoFileCheckCount; ++i) {
            m_rows[size_t(i)] = TwoFileRow();
            m_view.RowChanged(TwoFileCheck(i), m_rows[size_t(i)]);
        }
        Pass pass(*this, fileOne, fileTwo);
        const auto marked = [&marks](TwoFileCheck check) { return marks[size_t(check)]; };
        if (marked(TwoFileCheck::Size))
            pass.Size();
        if (marked(TwoFileCheck::DateTime))
            pass.DateTime();
        if (marked(TwoFileCheck::Version))
            pass.Version();
        const bool finished = (!marked(TwoFileCheck::BinaryContents) || pass.Contents())
                              && (!marked(TwoFileCheck::Crc32) || pass.Crc32())
                              && (!marked(TwoFileCheck::Sha1) || pass.Sha1());
        if (!finished) {
            outcome = TwoFileOutcome::Cancelled;
            m_services.dialogs.Message(QStringLiteral("User cancelled the comparison"), QStringLiteral("Compare Files"),
                                       UserDialogs::Icon::Information);
        } else {
            m_view.Bar().SetValue(0);
            m_logWanted = ReportComparisonErrors(compare.ErrorsDuringCompare(), m_services.log, m_services.dialogs,
                                                 m_offerLog);
        }
    } catch (...) {
        m_services.errors.HandleUnexpectedError(m_failureLabel);
        outcome = TwoFileOutcome::Failed;
    }
    m_view.SetStatus(QString());
    m_view.Bar().SetValue(0);
    return outcome;
}
