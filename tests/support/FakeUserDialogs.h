#pragma once

#include "base/UserDialogs.h"

#include <QList>
#include <deque>

// Records every message exactly and answers from a queue. With an empty queue a question gets the answer
// that changes nothing: No for Yes/No(/Cancel), Cancel for OK/Cancel and Retry/Cancel, OK for OK.
class FakeUserDialogs final : public UserDialogs
{
public:
    struct Shown
    {
        QString text;
        QString title;
        Icon icon;
        Buttons buttons;
    };

    Answer Message(const QString& text, const QString& title, Icon icon, Buttons buttons, int defaultButton) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& title, const QString& initial) override;
    QString PickOpenFile(const QString& title, const QString& startFolder, const QString& filter) override;
    QString PickSaveFile(const QString& title, const QString& startFile, const QString& filter) override;
    QString PickFolder(const QString& title, const QString& startFolder) override;

    QList<Shown> messages;
    QStringList prompts; // titles of input boxes and pickers, in order
    struct Picker
    {
        QString title;
        QString start;
        QString filter;
    };
    QList<Picker> pickers; // every file picker as it was asked, in order
    std::deque<Answer> answers;
    std::deque<std::optional<QString>> inputs; // answers of input boxes; none = cancelled
    std::deque<QString> picks;                  // answers of file and folder pickers

    // The last message, or an empty one.
    Shown last() const { return messages.isEmpty() ? Shown{} : messages.last(); }
    void clear() { messages.clear(); prompts.clear(); pickers.clear(); }
};
