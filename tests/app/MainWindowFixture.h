#pragma once

#include "FakeUserDialogs.h"
#include "TestSupport.h"

#include "app/AppContext.h"
#include "app/frmMain.h"
#include "views/GuiResultPane.h"
#include "views/ResultTableModel.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

// A main window over a fresh application folder, with scripted dialogs and the freshly built helper
// library. Files and folders are never handed to the desktop: the opener records them instead.
class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ctx = std::make_unique<AppContext>(appFolder.path(), dialogs);
        BindTestLibrary(*ctx);
        window = std::make_unique<frmMain>(*ctx);
        // The summary after a comparison is a modal window; the tests that want it open it themselves.
        ctx->MainOptions().ShowGraphAfterCompare = false;
        window->Action(QStringLiteral("mnuOptionsShowGraphAfterCompare"))->setChecked(false);
        window->SetUrlOpener([this](const QUrl& url) {
            opened << url.toLocalFile();
            return true;
        });
        dialogs.clear();
    }

    void TearDown() override
    {
        // Closing from the test would ask the exit question; the window goes without it.
        window.reset();
    }

    template <typename T = QWidget>
    T* Child(const char* name) const
    {
        T* child = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    QAction* Item(const char* name) const
    {
        QAction* action = window->Action(QString::fromLatin1(name));
        EXPECT_NE(action, nullptr) << name;
        return action;
    }

    GuiResultPane* Left() const { return Child<GuiResultPane>("lvwSourceDirFiles"); }
    GuiResultPane* Right() const { return Child<GuiResultPane>("lvwTargetDirFiles"); }

    // The texts a pane shows, row by row.
    static QStringList Texts(const GuiResultPane* pane)
    {
        QStringList texts;
        const QAbstractItemModel* model = pane->model();
        for (int r = 0; r < model->rowCount(); ++r)
            texts << model->data(model->index(r, 0)).toString();
        return texts;
    }

    QString Panel(int n) const { return window->PanelText(n); }

    // Selects the rows of pane whose texts are given (the last one current) and makes it the pane commands
    // act on, as the user's clicks do.
    void Select(GuiResultPane* pane, std::initializer_list<const char*> texts)
    {
        Q_EMIT pane->FocusTaken();
        pane->clearSelection();
        const QStringList rows = Texts(pane);
        for (const char* text : texts) {
            const int row = int(rows.indexOf(QString::fromUtf8(text)));
            ASSERT_GE(row, 0) << text;
            pane->selectionModel()->setCurrentIndex(pane->model()->index(row, 0),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        ASSERT_EQ(window->CurrentListview(), pane);
    }

    TempDir appFolder;
    FakeUserDialogs dialogs;
    std::unique_ptr<AppContext> ctx;
    std::unique_ptr<frmMain> window;
    QStringList opened;
};

inline ResultRow TestRow(const QString& text, Category category, qint64 size = 0)
{
    ResultRow row;
    row.text = text;
    row.icon = category;
    row.size = size;
    if (!row.text.isEmpty())
        row.sizeText = QString::number(size);
    return row;
}

inline ResultRow TestRow(const char* text, Category category, qint64 size = 0)
{
    return TestRow(QString::fromUtf8(text), category, size);
}
