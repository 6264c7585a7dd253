#include "app/GuiUserDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

struct ButtonSpec
{
    QMessageBox::StandardButton button;
    UserDialogs::Answer answer;
};

QList<ButtonSpec> SpecsFor(UserDialogs::Buttons buttons)
{
    using A = UserDialogs::Answer;
    switch (buttons) {
    case UserDialogs::Buttons::Ok: return {{QMessageBox::Ok, A::Ok}};
    case UserDialogs::Buttons::OkCancel: return {{QMessageBox::Ok, A::Ok}, {QMessageBox::Cancel, A::Cancel}};
    case UserDialogs::Buttons::YesNo: return {{QMessageBox::Yes, A::Yes}, {QMessageBox::No, A::No}};
    case UserDialogs::Buttons::YesNoCancel:
        return {{QMessageBox::Yes, A::Yes}, {QMessageBox::No, A::No}, {QMessageBox::Cancel, A::Cancel}};
    case UserDialogs::Buttons::RetryCancel: return {{QMessageBox::Retry, A::Retry}, {QMessageBox::Cancel, A::Cancel}};
    case UserDialogs::Buttons::AbortRetryIgnore:
        return {{QMessageBox::Abort, A::Abort}, {QMessageBox::Retry, A::Retry}, {QMessageBox::Ignore, A::Ignore}};
    }
    return {{QMessageBox::Ok, A::Ok}};
}

QMessageBox::Icon IconFor(UserDialogs::Icon icon)
{
    switch (icon) {
    case UserDialogs::Icon::None: return QMessageBox::NoIcon;
    case UserDialogs::Icon::Information: return QMessageBox::Information;
    case UserDialogs::Icon::Warning: return QMessageBox::Warning;
    case UserDialogs::Icon::Error: return QMessageBox::Critical;
    case UserDialogs::Icon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

UserDialogs::Answer GuiUserDialogs::Message(const QString& text, const QString& title, Icon icon, Buttons buttons,
                                            int defaultButton)
{
    QMessageBox box(IconFor(icon), title, QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")),
                    QMessageBox::NoButton, m_parent);
    const QList<ButtonSpec> specs = SpecsFor(buttons);
    QMessageBox::StandardButtons all;
    for (const ButtonSpec& s : specs)
        all |= s.button;
    box.setStandardButtons(all);
    if (defaultButton >= 0 && defaultButton < specs.size())
        box.setDefaultButton(specs[defaultButton].button);
    // A message shown during a long operation must not keep the busy pointer.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    if (busy)
        QApplication::restoreOverrideCursor();
    for (const ButtonSpec& s : specs)
        if (s.button == pressed)
            return s.answer;
    // Escape or the window frame: the answer that changes nothing.
    return specs.size() == 1 ? specs.front().answer : specs.back().answer;
}

std::optional<QString> GuiUserDialogs::InputBox(const QString& prompt, const QString& title, const QString& initial)
{
    bool ok = false;
    const QString text = QInputDialog::getText(m_parent, title, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString GuiUserDialogs::PickOpenFile(const QString& title, const QString& startFolder, const QString& filter)
{
    return QFileDialog::getOpenFileName(m_parent, title, startFolder, filter);
}

QString GuiUserDialogs::PickSaveFile(const QString& title, const QString& startFile, const QString& filter)
{
    return QFileDialog::getSaveFileName(m_parent, title, startFile, filter);
}

QString GuiUserDialogs::PickFolder(const QString& title, const QString& startFolder)
{
    return QFileDialog::getExistingDirectory(m_parent, title, startFolder);
}

void GuiUserDialogs::ShowBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
