#pragma once

#include "TestSupport.h"
#include "FakeUserDialogs.h"
#include "app/AppContext.h"

#include <QFile>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// A fresh application folder, scripted dialogs and the freshly built helper library, whose information
// messages are routed into the same script so that every message can be asserted.
class ModelFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ctx = std::make_unique<AppContext>(appFolder.path(), dialogs);
        BindTestLibrary(*ctx);
        if (ctx->Lib().IsLoaded())
            ctx->Lib().SetMessageHandler(&RecordLibraryMessage, &dialogs);
    }

    static void RecordLibraryMessage(const char* text, const char* title, void* context)
    {
        static_cast<FakeUserDialogs*>(context)->Message(QString::fromUtf8(text), QString::fromUtf8(title),
                                                        UserDialogs::Icon::Information, UserDialogs::Buttons::Ok, 0);
    }

    TempDir appFolder;
    TempDir work;
    FakeUserDialogs dialogs;
    std::unique_ptr<AppContext> ctx;
};

// Runs check where permissions apply: directly for an ordinary user; as root in a forked child that has
// dropped to the unprivileged user "nobody" (65534), since root reads every folder. check answers 0 when
// everything held, or the number of the first expectation that failed.
inline int RunWithoutPrivileges(const std::function<int()>& check)
{
    if (geteuid() != 0)
        return check();
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
            _exit(100);
        _exit(check());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return 101;
    return WEXITSTATUS(status);
}

// Lets the unprivileged user reach a test folder's contents (a temporary folder is private to root).
inline void OpenToEveryone(const QString& folder)
{
    ::chmod(QFile::encodeName(folder).constData(), 0755);
}
