#include "cmd/ConsoleDialogs.h"

void ConsoleDialogs::Print(const QString& text, const QString& title)
{
    if (m_beforeMessage)
        m_beforeMessage();
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray line = (title + QStringLiteral(": ") + plain).toUtf8();
    std::fprintf(m_out, "%s\n", line.constData());
    std::fflush(m_out);
}

UserDialogs::Answer ConsoleDialogs::Message(const QString& text, const QString& title, Icon icon, Buttons buttons,
                                            int defaultButton)
{
    (void)defaultButton;
    if (icon == Icon::Warning || icon == Icon::Error)
        m_troubleShown = true;
    Print(text, title);
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Answer::No;
    case Buttons::OkCancel:
    case Buttons::RetryCancel:
        return Answer::Cancel;
    case Buttons::AbortRetryIgnore:
        return Answer::Abort;
    }
    return Answer::Cancel;
}

std::optional<QString> ConsoleDialogs::InputBox(const QString& prompt, const QString& title, const QString& initial)
{
    (void)initial;
    Print(prompt, title);
    return std::nullopt;
}

QString ConsoleDialogs::PickOpenFile(const QString&, const QString&, const QString&) { return {}; }

QString ConsoleDialogs::PickSaveFile(const QString&, const QString&, const QString&) { return {}; }

QString ConsoleDialogs::PickFolder(const QString&, const QString&) { return {}; }
