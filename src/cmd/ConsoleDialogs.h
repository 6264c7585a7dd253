#pragma once

#include "base/UserDialogs.h"

#include <cstdio>
#include <functional>

// The dialogs of the headless front end: every message goes to standard error as "title: text" and
// every question takes the answer that changes nothing (No, Cancel, or OK for a plain message). Input
// boxes and pickers are cancelled.
class ConsoleDialogs final : public UserDialogs
{
public:
    explicit ConsoleDialogs(FILE* out = stderr) : m_out(out) {}

    Answer Message(const QString& text, const QString& title, Icon icon, Buttons buttons, int defaultButton) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& title, const QString& initial) override;
    QString PickOpenFile(const QString& title, const QString& startFolder, const QString& filter) override;
    QString PickSaveFile(const QString& title, const QString& startFile, const QString& filter) override;
    QString PickFolder(const QString& title, const QString& startFolder) override;

    // Writes "title: text" with the text's CR LF line ends made plain.
    void Print(const QString& text, const QString& title);

    // Whether a warning or an error was shown: a trouble the exit status must tell.
    bool TroubleShown() const { return m_troubleShown; }

    // Called before each message, so a progress line can be wiped first.
    void SetBeforeMessage(std::function<void()> hook) { m_beforeMessage = std::move(hook); }

private:
    FILE* m_out;
    bool m_troubleShown = false;
    std::function<void()> m_beforeMessage;
};
