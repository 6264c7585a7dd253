#pragma once

#include "TestSupport.h"
#include "FakeUserDialogs.h"
#include "Unprivileged.h"
#include "app/AppContext.h"

#include <QFile>
#include <functional>
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

// Lets the unprivileged user reach a test folder's contents (a temporary folder is private to root).
inline void OpenToEveryone(const QString& folder)
{
    ::chmod(QFile::encodeName(folder).constData(), 0755);
}
