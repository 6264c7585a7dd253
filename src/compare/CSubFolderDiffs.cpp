#include "compare/CSubFolderDiffs.h"

namespace {
SubFolderDiffEntry MakeEntry(const QString& fileName, const QString& sizeText, const QString& timeStamp,
                             int16_t compareResult)
{
    SubFolderDiffEntry e;
    e.fileName = fileName;
    e.sizeText = sizeText;
    e.timeStamp = timeStamp;
    e.compareResult = compareResult;
    return e;
}

bool Read(const SubFolderDiffEntry* e, QString& fileName, QString& sizeText, QString& timeStamp, int16_t& compareResult)
{
    if (e == nullptr)
        return false;
    fileName = e->fileName;
    sizeText = e->sizeText;
    timeStamp = e->timeStamp;
    compareResult = e->compareResult;
    return true;
}
} // namespace

void CSubFolderDiffs::Redim(std::vector<SubFolderDiffEntry>& v, int& lowerField, int lower, int upper)
{
    if (upper < lower) {
        v.clear();
        lowerField = lower;
        return;
    }
    // Entries keep their index: shift what survives when the lower bound moves.
    std::vector<SubFolderDiffEntry> resized(static_cast<size_t>(upper - lower + 1));
    for (size_t i = 0; i < v.size(); ++i) {
        const int index = lowerField + static_cast<int>(i);
        if (index >= lower && index <= upper)
            resized[static_cast<size_t>(index - lower)] = std::move(v[i]);
    }
    v = std::move(resized);
    lowerField = lower;
}

bool CSubFolderDiffs::Put(std::vector<SubFolderDiffEntry>& v, int lowerField, int index, const SubFolderDiffEntry& e)
{
    if (index < lowerField || index - lowerField >= static_cast<int>(v.size()))
        return false;
    v[static_cast<size_t>(index - lowerField)] = e;
    return true;
}

const SubFolderDiffEntry* CSubFolderDiffs::At(const std::vector<SubFolderDiffEntry>& v, int lowerField, int index)
{
    if (index < lowerField || index - lowerField >= static_cast<int>(v.size()))
        return nullptr;
    return &v[static_cast<size_t>(index - lowerField)];
}

bool CSubFolderDiffs::AddUDTToArrayDiffOne(int index, const QString& fileName, const QString& sizeText,
                                           const QString& timeStamp, int16_t compareResult)
{
    return Put(m_one, m_lowerOne, index, MakeEntry(fileName, sizeText, timeStamp, compareResult));
}

bool CSubFolderDiffs::AddUDTToArrayDiffTwo(int index, const QString& fileName, const QString& sizeText,
                                           const QString& timeStamp, int16_t compareResult)
{
    return Put(m_two, m_lowerTwo, index, MakeEntry(fileName, sizeText, timeStamp, compareResult));
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

void CSubFolderDiffs::Assign(std::vector<SubFolderDiffEntry> one, std::vector<SubFolderDiffEntry> two)
{
    m_one = std::move(one);
    m_two = std::move(two);
    m_lowerOne = 1;
    m_lowerTwo = 1;
}
