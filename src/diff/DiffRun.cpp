#include "diff/DiffRun.h"

#include "base/ProgressSink.h"
#include "diff/LineDiffEngine.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QString CompareFilesTitle = QStringLiteral("Compare Files");

// diff takes a file with a NUL byte in its first block for binary; one further in is text to it, but
// not to a grid, so the whole file is looked at.
bool HasNulBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(buffer.data(), buffer.size());
        if (n <= 0)
            return false;
        if (std::memchr(buffer.constData(), 0, static_cast<size_t>(n)) != nullptr)
            return true;
    }
}

class ProgressText final
{
public:
    explicit ProgressText(ProgressSink* sink) : m_sink(sink) {}
    void Step(const QString& text, qint64 range)
    {
        if (m_sink == nullptr)
            return;
        m_sink->SetText(text);
        m_sink->SetRange(range);
        m_sink->SetValue(0);
    }

private:
    ProgressSink* m_sink;
};

} // namespace

DiffMessage BinaryFilesMessage()
{
    return {QStringLiteral("The files differ but the differences are not viewable.") + CrLf
                + QStringLiteral("Only differences between text files can be viewed. ") + CrLf + CrLf
                + QStringLiteral("See the %1 topic in the Help file (Help > Contents) for details.").arg(DiffHelpTopicTitle()),
            CompareFilesTitle, UserDialogs::Icon::Information};
}

DiffMessage NotComputedMessage()
{
    return {QStringLiteral("GNU's Diff.exe was not able to compute the file differences."),
            QStringLiteral("Show File Differences"), UserDialogs::Icon::Error};
}

bool IsBinaryFilesLine(const QString& line, const QString& fileOne, const QString& fileTwo)
{
    // GNU diff writes "Binary files A and B differ"; the form without "and" is accepted as well.
    const QString prefix = QStringLiteral("Binary files ") + fileOne + QLatin1Char(' ');
    const QString suffix = fileTwo + QStringLiteral(" differ");
    return line.contains(prefix + QStringLiteral("and ") + suffix, Qt::CaseInsensitive)
        || line.contains(prefix + suffix, Qt::CaseInsensitive);
}

DiffRunResult RunFileDiffs(const DiffRequest& request, LineDiffEngine& engine, const DiffRunControl& control)
{
    DiffRunResult result;
    ProgressText progress(control.sink);
    engine.SetIgnoreCase(request.ignoreCase);
    engine.SetIgnoreWhiteSpace(request.ignoreWhiteSpace);
    progress.Step(QStringLiteral("Comparing the files..."), 0);
    result.code = engine.Compare(request.fileOne, request.fileTwo, control.pump, control.cancel);
    switch (result.code) {
    case LineDiffEngine::Identical:
        result.outcome = DiffRunResult::Outcome::Identical;
        result.message = DiffMessage{QStringLiteral("The files are identical"), CompareFilesTitle,
                                     UserDialogs::Icon::Information};
        return result;
    case LineDiffEngine::Trouble:
        result.outcome = DiffRunResult::Outcome::Trouble;
        result.message = DiffMessage{QStringLiteral("Errors encountered comparing the files") + CrLf + CrLf + engine.Line(0),
                                     CompareFilesTitle, UserDialogs::Icon::Warning};
        return result;
    case LineDiffEngine::Cancelled:
        result.outcome = DiffRunResult::Outcome::Cancelled;
        return result;
    case LineDiffEngine::Different:
        break;
    default: {
        result.outcome = DiffRunResult::Outcome::NotComputed;
        DiffMessage message = NotComputedMessage();
        if (!engine.Problem().isEmpty())
            message.text += CrLf + CrLf + engine.Problem();
        result.message = message;
        return result;
    }
    }
    if (IsBinaryFilesLine(engine.Line(0), request.fileOne, request.fileTwo)) {
        result.outcome = DiffRunResult::Outcome::Binary;
        result.message = BinaryFilesMessage();
        return result;
    }

    if (request.format == 1) {
        if (HasNulBytes(request.fileOne) || HasNulBytes(request.fileTwo)) {
            result.outcome = DiffRunResult::Outcome::Binary;
            result.message = BinaryFilesMessage();
            return result;
        }
        result.outcome = DiffRunResult::Outcome::Unix;
        return result;
    }

    // Both files, one after the other, on one progress range of their bytes.
    const qint64 size1 = QFileInfo(request.fileOne).size();
    const qint64 size2 = QFileInfo(request.fileTwo).size();
    progress.Step(QStringLiteral("Loading the files..."), size1 + size2);
    DiffTextFile::Control load{control.pump, control.cancel, control.sink, 0};
    for (DiffTextFile* file : {&result.left, &result.right}) {
        const QString& path = file == &result.left ? request.fileOne : request.fileTwo;
        const DiffTextFile::LoadResult loaded = file->Load(path, load);
        if (loaded == DiffTextFile::LoadResult::Cancelled) {
            result.outcome = DiffRunResult::Outcome::Cancelled;
            return result;
        }
        if (loaded == DiffTextFile::LoadResult::Failed && !result.loadFailure)
            result.loadFailure = Failure::FromErrno(file->ErrorNumber(), true);
        load.progressBase += size1;
    }
    if (result.left.HasNulBytes() || result.right.HasNulBytes()) {
        result.outcome = DiffRunResult::Outcome::Binary;
        result.message = BinaryFilesMessage();
        result.left = {};
        result.right = {};
        return result;
    }

    progress.Step(QStringLiteral("Aligning the lines..."), 0);
    result.alignment = AlignDiffs(result.left.LineCount(), result.right.LineCount(), engine.LineCount(),
                                  [&engine](int32_t i) { return engine.Line(i); },
                                  [&control] {
                                      if (control.pump != nullptr)
                                          control.pump->Pump();
                                  });
    if (control.cancel != nullptr && control.cancel->load()) {
        result.outcome = DiffRunResult::Outcome::Cancelled;
        return result;
    }
    result.outcome = DiffRunResult::Outcome::Visual;
    if (result.alignment.failed)
        result.message = NotComputedMessage();
    return result;
}
