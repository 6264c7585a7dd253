#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

class QComboBox;
class QLabel;
class QWidget;

// The method list of a window with the description and the picture that follow its selection: the list
// "cboSyncMethod" (method numbers as item data, in display order), the label "lblSyncMethodDescription"
// and the picture "imgSyncMethod". Custom has no picture; its description is the one of method 3 followed
// by the window's own note on where the custom rules are set. The widgets are children of parent, which
// lays them out.
class GuiSyncMethodChoice final : public QObject
{
    Q_OBJECT

public:
    // Selects method, or the third item (method 2) when no item carries it.
    GuiSyncMethodChoice(QWidget* parent, int32_t method, const QString& customNote);
    Q_DISABLE_COPY_MOVE(GuiSyncMethodChoice)

    QComboBox* List() const { return m_list; }
    QLabel* Description() const { return m_description; }
    QLabel* Picture() const { return m_picture; }
    int32_t SelectedMethod() const;

Q_SIGNALS:
    // After the description and the picture show the newly selected method.
    void MethodChanged(int32_t method);

private:
    void ShowSelected();

    QComboBox* m_list;
    QLabel* m_description;
    QLabel* m_picture;
    QString m_customNote;
};
