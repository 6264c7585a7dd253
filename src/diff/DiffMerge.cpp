#include "diff/DiffMerge.h"

#include "diff/DiffRun.h"
#include "diff/LineDiffEngine.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>

DiffMerge::DiffMerge(DiffRunResult& run, const LineDiffEngine& engine)
    : m_alignment(std::move(run.alignment)), m_engine(std::make_unique<LineDiffEngine>())
{
    m_buffers[0] = std::make_unique<DiffEditBuffer>(run.left);
    m_buffers[1] = std::make_unique<DiffEditBuffer>(run.right);
    m_engine->SetProgram(engine.Program());
    m_engine->SetIgnoreCase(engine.IgnoreCase());
    m_engine->SetIgnoreWhiteSpace(engine.IgnoreWhiteSpace());
    m_onDisk[0] = run.left.Loaded();
    m_onDisk[1] = run.right.Loaded();
}

DiffMerge::~DiffMerge() = default;

int32_t DiffMerge::LineAt(DiffSide side, int32_t row) const
{
    const std::vector<AlignedRow>& rows = side == DiffSide::Left ? m_alignment.left : m_alignment.right;
    return row < 1 || row >= static_cast<int32_t>(rows.size()) ? 0 : rows[static_cast<std::size_t>(row)].line;
}

bool DiffMerge::BlockAt(int32_t row, int32_t& first, int32_t& last) const
{
    const auto coloured = [this](int32_t r) {
        return r >= 1 && r < static_cast<int32_t>(m_alignment.left.size())
               && (m_alignment.left[static_cast<std::size_t>(r)].colour != RowColour::Default
                   || m_alignment.right[static_cast<std::size_t>(r)].colour != RowColour::Default);
    };
    // diff never puts two hunks side by side, so a block is a run of coloured rows.
    if (!coloured(row))
        return false;
    first = row;
    while (coloured(first - 1))
        --first;
    last = row;
    while (coloured(last + 1))
        ++last;
    return true;
}

void DiffMerge::LinesOf(DiffSide side, int32_t first, int32_t last, int32_t& line, int32_t& count) const
{
    line = 0;
    count = 0;
    for (int32_t r = first; r <= last; ++r) {
        if (const int32_t l = LineAt(side, r); l > 0) {
            if (count == 0)
                line = l;
            ++count;
        }
    }
    if (count > 0)
        return;
    // Only filler rows: the place is after the side's nearest line above.
    line = 1;
    for (int32_t r = first - 1; r >= 1; --r) {
        if (const int32_t l = LineAt(side, r); l > 0) {
            line = l + 1;
            break;
        }
    }
}

bool DiffMerge::CopyBlock(int32_t row, DiffSide from)
{
    int32_t first = 0;
    int32_t last = 0;
    if (!BlockAt(row, first, last))
        return false;
    const DiffSide to = from == DiffSide::Left ? DiffSide::Right : DiffSide::Left;
    int32_t fromLine = 0;
    int32_t fromCount = 0;
    int32_t toLine = 0;
    int32_t toCount = 0;
    LinesOf(from, first, last, fromLine, fromCount);
    LinesOf(to, first, last, toLine, toCount);
    Change change{to, toLine, {}, {}, 0, 0};
    DiffEditBuffer& target = Edit(to);
    for (int32_t i = 0; i < fromCount; ++i)
        change.inserted.push_back(target.AddLine(Buffer(from).LineBytes(fromLine + i)));
    change.removed = target.RefsOf(toLine, toCount);
    Apply(std::move(change));
    return true;
}

DiffMerge::EditResult DiffMerge::EditLine(DiffSide side, int32_t row, const QString& text)
{
    if (row < 1 || row >= static_cast<int32_t>(m_alignment.left.size()))
        return EditResult::Unchanged;
    const std::optional<QByteArray> bytes = Buffer(side).Encode(text);
    if (!bytes)
        return EditResult::NotEncodable;
    int32_t line = 0;
    int32_t count = 0;
    LinesOf(side, row, row, line, count);
    if (count == 1 && Buffer(side).LineBytes(line) == *bytes)
        return EditResult::Unchanged;
    Change change{side, line, Buffer(side).RefsOf(line, count), {Edit(side).AddLine(*bytes)}, 0, 0};
    Apply(std::move(change));
    return EditResult::Changed;
}

void DiffMerge::Apply(Change change)
{
    const std::size_t i = Index(change.side);
    Edit(change.side).Splice(change.first, static_cast<int32_t>(change.removed.size()), change.inserted);
    change.stateBefore = m_state[i];
    change.stateAfter = m_nextState++;
    m_state[i] = change.stateAfter;
    m_undo.push_back(std::move(change));
    m_redo.clear();
    Realign();
}

std::optional<DiffSide> DiffMerge::Undo()
{
    if (m_undo.empty())
        return std::nullopt;
    Change change = std::move(m_undo.back());
    m_undo.pop_back();
    Edit(change.side).Splice(change.first, static_cast<int32_t>(change.inserted.size()), change.removed);
    m_state[Index(change.side)] = change.stateBefore;
    const DiffSide side = change.side;
    m_redo.push_back(std::move(change));
    Realign();
    return side;
}

std::optional<DiffSide> DiffMerge::Redo()
{
    if (m_redo.empty())
        return std::nullopt;
    Change change = std::move(m_redo.back());
    m_redo.pop_back();
    Edit(change.side).Splice(change.first, static_cast<int32_t>(change.removed.size()), change.inserted);
    m_state[Index(change.side)] = change.stateAfter;
    const DiffSide side = change.side;
    m_undo.push_back(std::move(change));
    Realign();
    return side;
}

bool DiffMerge::IsModified(DiffSide side) const { return m_state[Index(side)] != m_saved[Index(side)]; }

void DiffMerge::Realign()
{
    m_alignProblem.clear();
    const int32_t leftLines = Buffer(DiffSide::Left).LineCount();
    const int32_t rightLines = Buffer(DiffSide::Right).LineCount();
    int32_t code = LineDiffEngine::NotRun;
    if (!m_scratch)
        m_scratch = std::make_unique<QTemporaryDir>();
    if (m_scratch->isValid()) {
        // diff reads files: the two sides as they are now, in this program's own scratch folder.
        const QString paths[2] = {m_scratch->filePath(QStringLiteral("left")), m_scratch->filePath(QStringLiteral("right"))};
        bool written = true;
        for (std::size_t i = 0; i < 2; ++i) {
            QFile file(paths[i]);
            written = written && file.open(QIODevice::WriteOnly | QIODevice::Truncate)
                      && file.write(m_buffers[i]->Contents()) >= 0;
        }
        if (written)
            code = m_engine->Compare(paths[0], paths[1]);
        else
            m_alignProblem = QStringLiteral("The scratch files for diff could not be written.");
    } else {
        m_alignProblem = QStringLiteral("No scratch folder for diff: %1").arg(m_scratch->errorString());
    }
    if (code == LineDiffEngine::Identical || code == LineDiffEngine::Different) {
        const LineDiffEngine& engine = *m_engine;
        m_alignment = AlignDiffs(leftLines, rightLines, code == LineDiffEngine::Identical ? 0 : engine.LineCount(),
                                 [&engine](int32_t i) { return engine.Line(i); });
    } else {
        if (m_alignProblem.isEmpty())
            m_alignProblem = code == LineDiffEngine::Trouble && m_engine->LineCount() > 0 ? m_engine->Line(0) : m_engine->Problem();
        // Both sides line after line, unaligned, so every line still shows and can be saved.
        DiffAlignment plain;
        const int32_t rows = std::max(leftLines, rightLines) + 1;
        plain.left.resize(static_cast<std::size_t>(rows));
        plain.right.resize(static_cast<std::size_t>(rows));
        for (int32_t r = 1; r < rows; ++r) {
            plain.left[static_cast<std::size_t>(r)].line = r <= leftLines ? r : 0;
            plain.right[static_cast<std::size_t>(r)].line = r <= rightLines ? r : 0;
        }
        plain.failed = true;
        m_alignment = std::move(plain);
    }
    if (m_alignment.failed && m_alignProblem.isEmpty())
        m_alignProblem = QStringLiteral("diff's output does not fit the texts.");
}

FileOps::Result DiffMerge::SaveSide(DiffSide side, bool evenIfChanged)
{
    const std::size_t i = Index(side);
    // Over the file a link leads to, as it was read; a file that is gone is made again under its name.
    const QString path = Buffer(side).Path();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QString target = canonical.isEmpty() ? path : canonical;
    FileOps::Result result = FileOps::WriteWhole(target, Buffer(side).Contents(), evenIfChanged ? nullptr : &m_onDisk[i]);
    if (result.ok()) {
        m_saved[i] = m_state[i];
        FileOps::IdentityOf(target, m_onDisk[i]);
    }
    return result;
}
