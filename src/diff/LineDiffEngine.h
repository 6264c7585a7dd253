#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <atomic>
#include <cstdint>
#include <vector>

class EventPump;

// The line-difference engine: GNU diff run on two files, its normal output kept as lines (0-based,
// without their line ends) together with its exit status. The output is held as one byte block with
// line offsets, so a large output costs its own size and eight bytes a line.
class LineDiffEngine final
{
public:
    // Results besides GNU diff's own 0 (no differences), 1 (differences) and 2 (trouble).
    enum Result : int32_t { Identical = 0, Different = 1, Trouble = 2, NotRun = -1, Cancelled = -2 };

    LineDiffEngine() = default;
    Q_DISABLE_COPY_MOVE(LineDiffEngine)

    void SetIgnoreCase(bool on) { m_ignoreCase = on; }
    bool IgnoreCase() const { return m_ignoreCase; }
    void SetIgnoreWhiteSpace(bool on) { m_ignoreWhiteSpace = on; }
    bool IgnoreWhiteSpace() const { return m_ignoreWhiteSpace; }

    // Lines of the last comparison's output. With result 2 the messages diff wrote come first.
    int32_t LineCount() const { return static_cast<int32_t>(m_starts.size()); }
    // A line as text: UTF-8 when it is valid UTF-8, otherwise Latin-1, so every byte shows.
    QString Line(int32_t index) const;
    QByteArrayView RawLine(int32_t index) const;

    // Compares the two files. While diff runs, pump (when given) runs about every 30 ms and cancel is
    // tested; a cancel stops diff and answers Cancelled. NotRun when diff could not be started, was
    // killed or answered a status it never gives; Problem() then says why.
    int32_t Compare(const QString& file1, const QString& file2, EventPump* pump = nullptr,
                    const std::atomic<bool>* cancel = nullptr);
    const QString& Problem() const { return m_problem; }

    // The program run; "diff" from PATH unless a test names another.
    void SetProgram(const QString& program) { m_program = program; }
    QString Program() const;
    // The arguments of one run, as diff receives them.
    QStringList Arguments(const QString& file1, const QString& file2) const;

private:
    void KeepOutput(QByteArray out);

    bool m_ignoreCase = false;
    bool m_ignoreWhiteSpace = false;
    QString m_program;
    QByteArray m_output;
    std::vector<qsizetype> m_starts;
    QString m_problem;
};

// Bytes as text: UTF-8 when valid, otherwise Latin-1 (every byte keeps a character).
QString DecodeLineBytes(QByteArrayView bytes);
bool IsValidUtf8(QByteArrayView bytes);
