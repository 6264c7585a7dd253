#pragma once

#include <QDialog>

// The properties of a file or folder: the file manager's own property page when the desktop offers one
// (org.freedesktop.FileManager1.ShowItemProperties), otherwise this read-only window of our own.
class frmObjectProperties final : public QDialog
{
    Q_OBJECT

public:
    frmObjectProperties(const QString& path, QWidget* parent = nullptr);
};

// Shows the property page of path.
void ShowObjectProperties(const QString& path, QWidget* parent);
