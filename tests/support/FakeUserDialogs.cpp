#include "FakeUserDialogs.h"

UserDialogs::Answer FakeUserDialogs::Message(const QString& text, const QString& title, Icon icon, Buttons buttons,
                                             int)
{
    messages.append({text, title, icon, buttons});
    if (!answers.empty()) {
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::OkCancel: return Answer::Cancel;
    case Buttons::YesNo:
    case Buttons::YesNoCancel: return Answer::No;
    case Buttons::RetryCancel: return Answer::Cancel;
    case Buttons::AbortRetryIgnore: return Answer::Abort;
    }
    return Answer::Ok;
}

std::optional<QString> FakeUserDialogs::InputBox(const QString&, const QString& title, const QString&)
{
    prompts << title;
    if (inputs.empty())
        return std::nullopt;
    auto a = inputs.front();
    inputs.pop_front();
    return a;
}

namespace {
QString Next(std::deque<QString>& picks)
{
    if (picks.empty())
        return {};
    QString a = picks.front();
    picks.pop_front();
    return a;
}
} // namespace

QString FakeUserDialogs::PickOpenFile(const QString& title, const QString& startFolder, const QString& filter)
{
    prompts << title;
    pickers.append({title, startFolder, filter});
    return Next(picks);
}

QString FakeUserDialogs::PickSaveFile(const QString& title, const QString& startFile, const QString& filter)
{
    prompts << title;
    pickers.append({title, startFile, filter});
    return Next(picks);
}

QString FakeUserDialogs::PickFolder(const QString& title, const QString&)
{
    prompts << title;
    return Next(picks);
}
