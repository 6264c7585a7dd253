#pragma once

#include <QString>
#include <cstdint>

// The two files and the options of a text comparison, shared by the menu, the options window and the
// differences run.
class cViewFileDiffsOptions final
{
public:
    enum OutputFormat : int32_t { Visual = 0, Unix = 1 };

    cViewFileDiffsOptions() = default;
    Q_DISABLE_COPY_MOVE(cViewFileDiffsOptions)

    const QString& FileOne() const { return m_fileOne; }
    void SetFileOne(const QString& v) { m_fileOne = v; }
    const QString& FileTwo() const { return m_fileTwo; }
    void SetFileTwo(const QString& v) { m_fileTwo = v; }
    bool IgnoreWhiteSpace() const { return m_ignoreWhiteSpace; }
    void SetIgnoreWhiteSpace(bool v) { m_ignoreWhiteSpace = v; }
    bool IgnoreCase() const { return m_ignoreCase; }
    void SetIgnoreCase(bool v) { m_ignoreCase = v; }
    bool ShowOptionsDialog() const { return m_showOptionsDialog; }
    void SetShowOptionsDialog(bool v) { m_showOptionsDialog = v; }
    int32_t Format() const { return m_format; }
    void SetFormat(int32_t v) { m_format = v; }

private:
    QString m_fileOne;
    QString m_fileTwo;
    bool m_ignoreWhiteSpace = false;
    bool m_ignoreCase = false;
    bool m_showOptionsDialog = true;
    int32_t m_format = Visual;
};
