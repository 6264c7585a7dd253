#pragma once

#include "base/UserDialogs.h"

#include <cstdio>

// The benchmarks' dialogs: every question gets the answer that changes nothing (OK, Cancel, No), every
// picker is cancelled; messages go to standard error when asked for, so a surprise shows in the output.
class SilentDialogs final : public UserDialogs
{
public:
    explicit SilentDialogs(bool printMessages = false) : m_print(printMessages) {}

    Answer Message(const QString& text, const QString&, Icon, Buttons buttons, int) override
    {
        if (m_print)
            std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return buttons == Buttons::Ok ? Answer::Ok : buttons == Buttons::OkCancel ? Answer::Cancel : Answer::No;
    }
    std::optional<QString> InputBox(const QString&, const QString&, const QString&) override { return std::nullopt; }
    QString PickOpenFile(const QString&, const QString&, const QString&) override { return {}; }
    QString PickSaveFile(const QString&, const QString&, const QString&) override { return {}; }
    QString PickFolder(const QString&, const QString&) override { return {}; }

private:
    bool m_print;
};
