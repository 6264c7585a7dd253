#include "views/CViewSelections.h"

void CViewSelections::SetViewType(int32_t type)
{
    m_viewType = type;
    if (type != All && type != Different && type != Similar)
        return;
    const bool identical = type != Different;
    const bool others = type != Similar;
    ViewIdenticalFiles = identical;
    ViewIdenticalFolders = identical;
    ViewNewerFiles = others;
    ViewOlderFiles = others;
    ViewOrphanFiles = others;
    ViewBinaryDiffFiles = others;
    ViewDifferentFolders = others;
    ViewOrphanFolders = others;
}

bool CViewSelections::OnlyIdenticalFlagsAre(bool identical, bool others) const
{
    return ViewIdenticalFiles == identical && ViewIdenticalFolders == identical && ViewNewerFiles == others
        && ViewOlderFiles == others && ViewOrphanFiles == others && ViewBinaryDiffFiles == others
        && ViewDifferentFolders == others && ViewOrphanFolders == others;
}

bool CViewSelections::AreCustomSettingsSameAsAllViewType() const { return OnlyIdenticalFlagsAre(true, true); }

bool CViewSelections::AreCustomSettingsSameAsDifferencesViewType() const { return OnlyIdenticalFlagsAre(false, true); }

bool CViewSelections::AreCustomSettingsSameAsSimilaritiesViewType() const { return OnlyIdenticalFlagsAre(true, false); }

int32_t CViewSelections::ViewTypeOfFlags() const
{
    if (AreCustomSettingsSameAsAllViewType())
        return All;
    if (AreCustomSettingsSameAsDifferencesViewType())
        return Different;
    if (AreCustomSettingsSameAsSimilaritiesViewType())
        return Similar;
    return Custom;
}

bool CViewSelections::ShowsCategory(int iconIndex) const
{
    switch (iconIndex) {
    case 1: return ViewNewerFiles;
    case 2: return ViewOlderFiles;
    case 3: return ViewIdenticalFiles;
    case 4: return ViewOrphanFiles;
    case 5: return ViewBinaryDiffFiles;
    case 6: return ViewIdenticalFolders;
    case 7: return ViewDifferentFolders;
    case 8: return ViewOrphanFolders;
    default: return false;
    }
}

void CViewSelections::SetShowsCategory(int iconIndex, bool shown)
{
    switch (iconIndex) {
    case 1: ViewNewerFiles = shown; break;
    case 2: ViewOlderFiles = shown; break;
    case 3: ViewIdenticalFiles = shown; break;
    case 4: ViewOrphanFiles = shown; break;
    case 5: ViewBinaryDiffFiles = shown; break;
    case 6: ViewIdenticalFolders = shown; break;
    case 7: ViewDifferentFolders = shown; break;
    case 8: ViewOrphanFolders = shown; break;
    default: break;
    }
}
