#pragma once

#include "settings/GuiFolderCombos.h"
#include "settings/frmOptionsAppearanceTab.h"

#include <QDialog>

class AppContext;
class QTabWidget;
class frmOptionsCompareTab;
class frmOptionsDiffTab;
class frmOptionsFiltersTab;
class frmOptionsGeneralTab;
class frmOptionsSoundsTab;
class frmOptionsSyncTab;

// The Options window: seven tabs (tbsOptions) over the settings in memory. It opens showing the current
// values; OK applies every control to the settings and closes, Cancel closes and changes nothing. The
// window writes nothing to the settings file except the filter pair when the filters change; the main
// window re-reads its check marks from the settings after it closes and acts on FiltersChanged and
// ComparisonMethodChanged.
class frmOptions final : public QDialog
{
    Q_OBJECT

public:
    enum Tab : int { General = 0, Compare, IncludeExclude, Synchronize, Sounds, Appearance, ViewFileDiffs };

    struct Setup
    {
        Tab tab = General;
        // The main window's folder boxes, for "Maintain Folder Lists..."; without them the button is off.
        FolderComboBoxes folderBoxes;
        // SHA-1 comparison is offered only when it is available.
        bool shaAvailable = true;
    };

    frmOptions(AppContext& ctx, const Setup& setup, QWidget* parent = nullptr);
    ~frmOptions() override;
    Q_DISABLE_COPY_MOVE(frmOptions)

    bool FiltersChanged() const { return m_filtersChanged; }
    bool ComparisonMethodChanged() const { return m_methodChanged; }

    // Replaces the font dialog of the Appearance tab (tests).
    void SetFontPicker(frmOptionsAppearanceTab::FontPicker picker);

private:
    void OkButton_Click();
    void CancelButton_Click();

    AppContext& m_ctx;
    QTabWidget* m_tabs = nullptr;
    frmOptionsGeneralTab* m_general = nullptr;
    frmOptionsCompareTab* m_compare = nullptr;
    frmOptionsFiltersTab* m_filters = nullptr;
    frmOptionsSyncTab* m_sync = nullptr;
    frmOptionsSoundsTab* m_sounds = nullptr;
    frmOptionsAppearanceTab* m_appearance = nullptr;
    frmOptionsDiffTab* m_diff = nullptr;
    bool m_filtersChanged = false;
    bool m_methodChanged = false;
};
