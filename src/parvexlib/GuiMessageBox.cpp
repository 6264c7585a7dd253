#include "GuiWidgets.h"

#include <QApplication>
#include <QMessageBox>

namespace parvexlib::gui {

void ShowMessageBox(const char* text, const char* title)
{
    QMessageBox box(QMessageBox::Information, QString::fromUtf8(title), QString::fromUtf8(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    // Names of files may hold "<" and "&": never let them turn into markup.
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace parvexlib::gui
