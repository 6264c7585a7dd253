#include "compare/CSubFolderDiffs.h"

namespace {

// A category number outside the known ones is kept as no category: the row then shows no icon.
ResultRow MakeRow(const QString& fileName, const QString& sizeText, const QString& timeStamp, int16_t compareResult)
{
    ResultRow row;
    row.text = fileName;
    row.sizeText = sizeText;
    row.dateText = timeStamp;
    if (compareResult > 0 && compareResult <= CategoryCount)
        row.icon = static_cast<Category>(compareResult);
    return row;
}

bool Read(const ResultRow* row, QString& fileName, QString& sizeText, QString& timeStamp, int16_t& compareResult)
{
    if (row == nullptr)
        return false;
    fileName = row->text;
    sizeText = row->sizeText;
    timeStamp = row->dateText;
    compareResult = row->icon == Category::None ? int16_t(-1) : static_cast<int16_t>(row->icon);
    return true;
}

} // namespace

void CSubFolderDiffs::Redim(ResultList& rows, int& lowerField, int lower, int upper)
{
    if (upper < lower) {
        rows.clear();
        lowerField = lower;
        return;
    }
    // Rows keep their index: shift what survives when the lower bound moves.
    ResultList resized(static_cast<size_t>(upper - lower + 1));
    for (size_t i = 0; i < rows.size(); ++i) {
        const int index = lowerField + static_cast<int>(i);
        if (index >= lower && index <= upper)
            resized[static_cast<size_t>(index - lower)] = std::move(rows[i]);
    }
    rows = std::move(resized);
    lowerField = lower;
}

bool CSubFolderDiffs::Put(ResultList& rows, int lowerField, int index, const ResultRow& row)
{
    if (index < lowerField || index - lowerField >= static_cast<int>(rows.size()))
        return false;
    rows[static_cast<size_t>(index - lowerField)] = row;
    return true;
}

const ResultRow* CSubFolderDiffs::At(const ResultList& rows, int lowerField, int index)
{
    if (index < lowerField || index - lowerField >= static_cast<int>(rows.size()))
        return nullptr;
    return &rows[static_cast<size_t>(index - lowerField)];
}

bool CSubFolderDiffs::AddUDTToArrayDiffOne(int index, const QString& fileName, const QString& sizeText,
                                           const QString& timeStamp, int16_t compareResult)
{
    return Put(m_one, m_lowerOne, index, MakeRow(fileName, sizeText, timeStamp, compareResult));
}

bool CSubFolderDiffs::AddUDTToArrayDiffTwo(int index, const QString& fileName, const QString& sizeText,
                                           const QString& timeStamp, int16_t compareResult)
{
    return Put(m_two, m_lowerTwo, index, MakeRow(fileName, sizeText, timeStamp, compareResult));
}

bool CSubFolderDiffs::GetUDTFromArrayDiffOne(int index, QString& fileName, QString& sizeText, QString& timeStamp,
                                             int16_t& compareResult) const
{
    return Read(At(m_one, m_lowerOne, index), fileName, sizeText, timeStamp, compareResult);
}

bool CSubFolderDiffs::GetUDTFromArrayDiffTwo(int index, QString& fileName, QString& sizeText, QString& timeStamp,
                                             int16_t& compareResult) const
{
    return Read(At(m_two, m_lowerTwo, index), fileName, sizeText, timeStamp, compareResult);
}

void CSubFolderDiffs::GetArrayDiffOneDimensions(int& lower, int& upper) const
{
    lower = m_lowerOne;
    upper = m_lowerOne + static_cast<int>(m_one.size()) - 1;
}

void CSubFolderDiffs::GetArrayDiffTwoDimensions(int& lower, int& upper) const
{
    lower = m_lowerTwo;
    upper = m_lowerTwo + static_cast<int>(m_two.size()) - 1;
}

void CSubFolderDiffs::Assign(ResultList one, ResultList two)
{
    m_one = std::move(one);
    m_two = std::move(two);
    m_lowerOne = 1;
    m_lowerTwo = 1;
}
