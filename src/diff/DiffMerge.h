#pragma once

#include "diff/DiffAlignment.h"
#include "diff/DiffEditBuffer.h"
#include "platform/FileOps.h"

#include <QTemporaryDir>
#include <memory>
#include <optional>

class LineDiffEngine;
struct DiffRunResult;

enum class DiffSide { Left, Right };

// Merging in the differences window: the two sides as the user changes them, their alignment, and the
// changes for undo and redo. Every change re-runs the line diff over both sides as they are now (with
// the options of the first run), so the rows, colours and difference blocks always describe the texts
// shown. Nothing reaches a file until SaveSide.
class DiffMerge final
{
public:
    // run's two files must outlive the merge; its alignment is taken over. engine gives the program and
    // the options for the re-runs.
    DiffMerge(DiffRunResult& run, const LineDiffEngine& engine);
    ~DiffMerge();
    Q_DISABLE_COPY_MOVE(DiffMerge)

    const DiffAlignment& Alignment() const { return m_alignment; }
    const DiffEditBuffer& Buffer(DiffSide side) const { return *m_buffers[Index(side)]; }
    // Rows are numbered as the alignment numbers them (0 is the header).
    int32_t LineAt(DiffSide side, int32_t row) const;

    // The rows [first, last] of the difference block that holds row; false when row is in none.
    bool BlockAt(int32_t row, int32_t& first, int32_t& last) const;

    // Makes the other side's lines of the block at row equal to from's lines of it. False when row is in
    // no block.
    bool CopyBlock(int32_t row, DiffSide from);
    enum class EditResult { Changed, Unchanged, NotEncodable };
    // Gives the side's line at row the text; on a filler row a new line is made there.
    EditResult EditLine(DiffSide side, int32_t row, const QString& text);

    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }
    // The side the change undone or redone was on; none when there was nothing to do.
    std::optional<DiffSide> Undo();
    std::optional<DiffSide> Redo();

    // The side differs from what was loaded or last saved.
    bool IsModified(DiffSide side) const;

    // Writes the side whole through a temporary file and a rename (FileOps::WriteWhole), over the object
    // the path leads to. Unless evenIfChanged, a file that changed on disk since it was loaded (or last
    // saved here) is refused with ESTALE and left as it is.
    FileOps::Result SaveSide(DiffSide side, bool evenIfChanged);
    // What the last re-run of diff had to say when it could not align the sides; empty when it could.
    const QString& AlignProblem() const { return m_alignProblem; }

private:
    struct Change
    {
        DiffSide side;
        int32_t first;
        DiffEditBuffer::Refs removed;
        DiffEditBuffer::Refs inserted;
        quint64 stateBefore;
        quint64 stateAfter;
    };
    static std::size_t Index(DiffSide side) { return side == DiffSide::Left ? 0 : 1; }
    DiffEditBuffer& Edit(DiffSide side) { return *m_buffers[Index(side)]; }
    // Where the side's lines of rows [first, last] are: the first line and how many.
    void LinesOf(DiffSide side, int32_t first, int32_t last, int32_t& line, int32_t& count) const;
    void Apply(Change change);
    void Realign();

    std::unique_ptr<DiffEditBuffer> m_buffers[2];
    DiffAlignment m_alignment;
    std::unique_ptr<LineDiffEngine> m_engine;
    // Made at the first change: the two sides as files for diff.
    std::unique_ptr<QTemporaryDir> m_scratch;
    QString m_alignProblem;
    std::vector<Change> m_undo;
    std::vector<Change> m_redo;
    // Each change gives its side a new state; a side is modified while its state is not the saved one.
    quint64 m_state[2] = {0, 0};
    quint64 m_saved[2] = {0, 0};
    quint64 m_nextState = 1;
    FileOps::Identity m_onDisk[2];
};
