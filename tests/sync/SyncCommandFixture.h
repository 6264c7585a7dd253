#pragma once

#include "TestSupport.h"

#include <QStringList>
#include <gtest/gtest.h>

// Synchronisations through parvexcmd on real folders: a private copy of the program (its application
// folder, so settings, history and journal are the test's own), a left and a right folder, and what the
// last run said.
class SyncCommandTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        bin = PrivateParvexCmdFolder(tmp);
        left = tmp.createFolder(QStringLiteral("left"));
        right = tmp.createFolder(QStringLiteral("right"));
    }

    // Runs parvexcmd sync with the method and the extra options; answers the exit code and fills lines
    // (standard output) and errors.
    int Sync(const QString& method, const QStringList& extra = {}, const QString& l = {}, const QString& r = {})
    {
        return Run(QStringList{QStringLiteral("sync"), QStringLiteral("--sync"), method, QStringLiteral("--subfolders"),
                               QStringLiteral("--include"), QString(), QStringLiteral("--exclude"), QString()}
                   + extra + QStringList{l.isEmpty() ? left : l, r.isEmpty() ? right : r});
    }
    int Compare(const QString& l = {}, const QString& r = {})
    {
        return Run({QStringLiteral("compare"), QStringLiteral("--subfolders"), QStringLiteral("--method"),
                    QStringLiteral("contents"), QStringLiteral("--include"), QString(), QStringLiteral("--exclude"),
                    QString(), l.isEmpty() ? left : l, r.isEmpty() ? right : r});
    }
    int Run(const QStringList& arguments)
    {
        const ProgramRun run = RunProgram(bin + QStringLiteral("/parvexcmd"), arguments);
        lines = run.lines;
        errors = run.errors;
        return run.exitCode;
    }
    QString Out() const { return lines.join(QLatin1Char('\n')) + QStringLiteral("\n--- stderr:\n") + errors; }

    TempDir tmp;
    QString bin;
    QString left;
    QString right;
    QStringList lines;
    QString errors;
};
