#pragma once

#include "base/UserDialogs.h"

class QWidget;

// The widget implementation of UserDialogs: QMessageBox, QInputDialog and QFileDialog.
class GuiUserDialogs final : public UserDialogs
{
public:
    explicit GuiUserDialogs(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }

    Answer Message(const QString& text, const QString& title, Icon icon, Buttons buttons, int defaultButton) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& title, const QString& initial) override;
    QString PickOpenFile(const QString& title, const QString& startFolder, const QString& filter) override;
    QString PickSaveFile(const QString& title, const QString& startFile, const QString& filter) override;
    QString PickFolder(const QString& title, const QString& startFolder) override;
    void ShowBusy(bool busy) override;

private:
    QWidget* m_parent;
};
