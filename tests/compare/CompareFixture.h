#pragma once

#include "FakeUserDialogs.h"
#include "TestSupport.h"

#include "app/AppContext.h"
#include "base/ProgressSink.h"
#include "compare/CCompare.h"
#include "compare/CompareProgressView.h"
#include "compare/CompareRun.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Sets the cancel flag at the Nth pump: cancellation at a chosen point of a run.
class CancellingPump final : public EventPump
{
public:
    explicit CancellingPump(CCompare& compare) : m_compare(compare) {}
    void CancelAt(int pumps) { m_cancelAt = pumps; }
    void Pump() override
    {
        ++count;
        if (m_cancelAt > 0 && count >= m_cancelAt)
            m_compare.SetCompareCancelled(true);
    }
    int count = 0;

private:
    CCompare& m_compare;
    int m_cancelAt = 0;
};

// One comparison set-up over a fresh temporary folder: "left/" and "right/" to fill, an application
// folder with its own error log, the freshly built helper library whose messages land in the scripted
// dialogs, and the settings a user starts with.
class CompareFixture : public ::testing::Test
{
protected:
    // A fixed time stamp (2023-06-01 12:00:00 UTC) to build others from.
    static constexpr qint64 T0 = 1685620800;

    void SetUp() override
    {
        tmp.createFolder(QStringLiteral("app"));
        left = tmp.createFolder(QStringLiteral("left"));
        right = tmp.createFolder(QStringLiteral("right"));
        ctx = std::make_unique<AppContext>(tmp.file(QStringLiteral("app")), dialogs);
        BindTestLibrary(*ctx);
        ctx->Lib().SetMessageHandler(
            [](const char* text, const char* title, void* context) {
                static_cast<FakeUserDialogs*>(context)->Message(QString::fromUtf8(text), QString::fromUtf8(title),
                                                                 UserDialogs::Icon::Information,
                                                                 UserDialogs::Buttons::Ok, 0);
            },
            &dialogs);
        CCompare& c = ctx->Compare();
        c.SetCompareMethod(CCompare::Quick);
        c.SetChunkSize(500000);
        c.SetCompareSubFolders(true);
        c.SetIgnoreFAT_NTFS_TwoSecDiff(false);
        c.SetIgnoreFAT_NTFS_DaylightSavings(false);
        results = std::make_unique<CompareResults>(ctx->Errors());
        pump = std::make_unique<CancellingPump>(c);
    }

    void TearDown() override
    {
        if (ctx != nullptr)
            ctx->Lib().SetMessageHandler(nullptr, nullptr);
    }

    QString L(const QString& relative, const QByteArray& data, qint64 seconds)
    {
        return tmp.createFileAt(QStringLiteral("left/") + relative, data, seconds);
    }
    QString R(const QString& relative, const QByteArray& data, qint64 seconds)
    {
        return tmp.createFileAt(QStringLiteral("right/") + relative, data, seconds);
    }

    CompareOutcome Run(bool parallel = false, const QString& l = {}, const QString& r = {})
    {
        CompareRunHooks hooks;
        hooks.finished = [this](CompareOutcome o) { finished.push_back(o); };
        hooks.playCompareCompleteSound = [this] { ++sounds; };
        CompareRun run(ctx->ComparisonServices(), *results, view, *pump, hooks);
        run.SetParallelScan(parallel);
        return run.CompareDirs(l.isEmpty() ? left : l, r.isEmpty() ? right : r, true, false);
    }

    // Every row pair as "left text|left key|right text|right key".
    QStringList Rows() const
    {
        QStringList rows;
        for (size_t i = 0; i < results->holdSource.size(); ++i) {
            const ResultRow& a = results->holdSource[i];
            const ResultRow& b = results->holdTarget[i];
            rows << a.text + QLatin1Char('|') + CategoryKey(a.icon) + QLatin1Char('|') + b.text + QLatin1Char('|')
                        + CategoryKey(b.icon);
        }
        return rows;
    }

    TempDir tmp;
    QString left;
    QString right;
    FakeUserDialogs dialogs;
    std::unique_ptr<AppContext> ctx;
    std::unique_ptr<CompareResults> results;
    std::unique_ptr<CancellingPump> pump;
    NullCompareProgressView view;
    std::vector<CompareOutcome> finished;
    int sounds = 0;
};
