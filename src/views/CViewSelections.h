#pragma once

#include <QtGlobal>
#include <cstdint>

// Which result categories the panes show. The view type stands for a fixed set of category flags; the
// type Custom leaves the flags as the user set them. The flags are plain fields.
class CViewSelections final
{
public:
    enum Type : int32_t { All = 0, Different = 1, Similar = 2, Custom = 3 };

    CViewSelections() = default;
    Q_DISABLE_COPY_MOVE(CViewSelections)

    int32_t ViewType() const { return m_viewType; }
    // All, Different and Similar set the eight flags; Custom (and any other number) leaves them.
    void SetViewType(int32_t type);

    bool ViewNewerFiles = true;
    bool ViewOlderFiles = true;
    bool ViewIdenticalFiles = true;
    bool ViewOrphanFiles = true;
    bool ViewBinaryDiffFiles = true;
    bool ViewIdenticalFolders = true;
    bool ViewDifferentFolders = true;
    bool ViewOrphanFolders = true;

    bool AreCustomSettingsSameAsAllViewType() const;
    bool AreCustomSettingsSameAsDifferencesViewType() const;
    bool AreCustomSettingsSameAsSimilaritiesViewType() const;
    // The view type the flags amount to: All, Different or Similar when they match one, else Custom.
    int32_t ViewTypeOfFlags() const;

    // The flag of a result category by its icon index 1..8; other indexes (placeholder rows) are never
    // shown by a filtered view.
    bool ShowsCategory(int iconIndex) const;
    void SetShowsCategory(int iconIndex, bool shown);

private:
    bool OnlyIdenticalFlagsAre(bool identical, bool others) const;

    int32_t m_viewType = All;
};
