#include "compare/CCompare.h"

void CCompare::SetCompareSubFolders(bool v)
{
    const bool switchedOff = m_compareSubFolders && !v;
    m_compareSubFolders = v;
    if (switchedOff && m_onSubFoldersOff)
        m_onSubFoldersOff();
}
