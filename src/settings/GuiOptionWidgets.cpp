#include "settings/GuiOptionWidgets.h"

#include "app/AppContext.h"
#include "base/UserDialogs.h"

#include <QCheckBox>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>

QCheckBox* MakeCheck(QWidget* parent, const char* name, const QString& caption)
{
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(QString::fromLatin1(name));
    return check;
}

QRadioButton* MakeOption(QWidget* parent, const char* name, const QString& caption)
{
    auto* option = new QRadioButton(caption, parent);
    option->setObjectName(QString::fromLatin1(name));
    return option;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

void MarkChosenOption(QRadioButton* chosen, QRadioButton* other)
{
    const auto paint = [](QRadioButton* option, const QColor& color) {
        QPalette palette = option->palette();
        palette.setColor(QPalette::WindowText, color);
        palette.setColor(QPalette::ButtonText, color);
        option->setPalette(palette);
    };
    paint(chosen, Qt::blue);
    paint(other, Qt::black);
}

void ShowInformation(AppContext& ctx, const QString& text, const QString& title)
{
    if (ctx.Lib().IsLoaded())
        ctx.Lib().ShowInformationMessage(text, title);
    else
        ctx.Dialogs().Message(text, title, UserDialogs::Icon::Information);
}
