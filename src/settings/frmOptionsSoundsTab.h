#pragma once

#include <QWidget>

class AppContext;
class QCheckBox;
class QLineEdit;
class QTreeWidget;

// The "Sounds" tab: the sound switch and the wave file of each of the four events. Selecting an event
// shows its file in txtWaveFileSpec; editing the text changes the selected event's file.
class frmOptionsSoundsTab final : public QWidget
{
    Q_OBJECT

public:
    frmOptionsSoundsTab(AppContext& ctx, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmOptionsSoundsTab)

    void Apply();

private:
    void LoadEventsAndAssociatedSoundsIntoLVW();
    void chkSoundsOn_Click(bool checked);
    void cmdBrowseForWave_Click();
    void cmdPlay_Click();

    AppContext& m_ctx;
    QCheckBox* m_chkSoundsOn = nullptr;
    QTreeWidget* m_lvwEvents = nullptr;
    QLineEdit* m_txtWaveFileSpec = nullptr;
};
