#include "cmd/CompareOptions.h"

#include "app/AppContext.h"
#include "base/ErrorHandler.h"
#include "base/Path.h"
#include "cmd/ConsoleDialogs.h"
#include "cmd/Interruption.h"
#include "compare/CCompare.h"
#include "compare/Sha1.h"
#include "model/PathUtils.h"
#include "settings/ChunkSizeRule.h"
#include "settings/SettingsTable.h"

#include <algorithm>
#include <cstdio>

QString ParseOptionArguments(const QStringList& args, QStringList& positional, const ExtraOptionParser& parse)
{
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString arg = args[i];
        if (optionsEnded || !arg.startsWith(QLatin1String("--"))) {
            positional << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        std::optional<QString> inlineValue;
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        if (eq > 0) {
            inlineValue = arg.mid(eq + 1);
            arg = arg.left(eq);
        }
        const std::function<std::optional<QString>()> value = [&]() -> std::optional<QString> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < args.size())
                return args[++i];
            return std::nullopt;
        };
        QString error;
        if (!parse(arg, inlineValue, value, error))
            return QStringLiteral("unknown option %1").arg(arg);
        if (!error.isEmpty())
            return error;
    }
    return {};
}

QString ParseCompareOptions(const QStringList& args, CompareOptions& o, const ExtraOptionParser& extra,
                            const QString& command)
{
    const QString problem = ParseOptionArguments(args, o.folders, [&](const QString& arg, const std::optional<QString>& inlineValue,
                                                                      const std::function<std::optional<QString>()>& value,
                                                                      QString& error) {
        const auto fail = [&error](const QString& text) {
            error = text;
            return true;
        };
        auto flag = [&](bool& target) {
            target = true;
            return inlineValue ? QStringLiteral("option %1 takes no value").arg(arg) : QString();
        };
        auto toggle = [&](std::optional<bool>& target, bool on) {
            target = on;
            return inlineValue ? QStringLiteral("option %1 takes no value").arg(arg) : QString();
        };

        if (arg == QLatin1String("--help")) {
            o.help = true;
        } else if (arg == QLatin1String("--method")) {
            const auto v = value();
            if (!v)
                return fail(QStringLiteral("option --method needs a value"));
            if (*v == QLatin1String("quick"))
                o.method = CCompare::Quick;
            else if (*v == QLatin1String("contents"))
                o.method = CCompare::ThoroughString;
            else if (*v == QLatin1String("crc"))
                o.method = CCompare::ThoroughCRC;
            else if (*v == QLatin1String("sha"))
                o.method = CCompare::SHA;
            else
                return fail(QStringLiteral("unknown method \"%1\" (quick, contents, crc or sha)").arg(*v));
        } else if (arg == QLatin1String("--chunk-size")) {
            const auto v = value();
            bool ok = false;
            const qlonglong n = v ? v->toLongLong(&ok) : 0;
            if (!ok || n <= 0)
                return fail(QStringLiteral("option --chunk-size needs a whole number of bytes above 0"));
            // The content comparison holds two chunks at once; the settings file refuses the same sizes.
            if (n > ChunkSizeRule::Largest)
                return fail(QStringLiteral("option --chunk-size takes at most %1 bytes").arg(ChunkSizeRule::Largest));
            o.chunkSize = static_cast<int32_t>(n);
        } else if (arg == QLatin1String("--include") || arg == QLatin1String("--exclude")) {
            const auto v = value();
            if (!v)
                return fail(QStringLiteral("option %1 needs a value").arg(arg));
            (arg == QLatin1String("--include") ? o.include : o.exclude) = *v;
        } else if (arg == QLatin1String("--subfolders")) {
            error = toggle(o.subFolders, true);
        } else if (arg == QLatin1String("--no-subfolders")) {
            error = toggle(o.subFolders, false);
        } else if (arg == QLatin1String("--details")) {
            error = flag(o.details);
        } else if (arg == QLatin1String("--exclude-hidden-files")) {
            error = flag(o.excludeHiddenFiles);
        } else if (arg == QLatin1String("--exclude-system-files")) {
            error = flag(o.excludeSystemFiles);
        } else if (arg == QLatin1String("--exclude-hidden-folders")) {
            error = flag(o.excludeHiddenFolders);
        } else if (arg == QLatin1String("--exclude-system-folders")) {
            error = flag(o.excludeSystemFolders);
        } else if (arg == QLatin1String("--ignore-2sec")) {
            error = toggle(o.ignoreTwoSec, true);
        } else if (arg == QLatin1String("--no-ignore-2sec")) {
            error = toggle(o.ignoreTwoSec, false);
        } else if (arg == QLatin1String("--ignore-dst")) {
            error = toggle(o.ignoreDst, true);
        } else if (arg == QLatin1String("--no-ignore-dst")) {
            error = toggle(o.ignoreDst, false);
        } else {
            return extra && extra(arg, inlineValue, value, error);
        }
        return true;
    });
    if (!problem.isEmpty())
        return problem;
    if (!o.help && o.folders.size() != 2)
        return command + QStringLiteral(" needs two folders, LEFT and RIGHT");
    return {};
}

void ApplyCompareOptions(const CompareOptions& o, CCompare& compare)
{
    if (o.method)
        compare.SetCompareMethod(*o.method);
    if (o.chunkSize)
        compare.SetChunkSize(*o.chunkSize);
    if (o.subFolders)
        compare.SetCompareSubFolders(*o.subFolders);
    if (o.include)
        compare.SetIncludeFilters(*o.include);
    if (o.exclude)
        compare.SetExcludeFilters(*o.exclude);
    if (o.excludeHiddenFiles)
        compare.SetExcludeHiddenFiles(true);
    if (o.excludeSystemFiles)
        compare.SetExcludeSystemFiles(true);
    if (o.excludeHiddenFolders)
        compare.SetExcludeHiddenFolders(true);
    if (o.excludeSystemFolders)
        compare.SetExcludeSystemFolders(true);
    if (o.ignoreTwoSec)
        compare.SetIgnoreFAT_NTFS_TwoSecDiff(*o.ignoreTwoSec);
    if (o.ignoreDst)
        compare.SetIgnoreFAT_NTFS_DaylightSavings(*o.ignoreDst);
}


// Only the keys of the given owners: the window's own (its size, the differences format) are no business
// of a command, so a damaged one cannot touch its runs. A stored value it cannot use is named on standard
// error and its default taken; the run goes on, as the window's would.
void LoadCommandSettings(AppContext& ctx, ConsoleDialogs& dialogs, std::initializer_list<SettingOwner> owners,
                         const QStringList& keys)
{
    try {
        SettingsEnvironment env;
        env.shaAvailable = IsSHA1Available();
        const std::vector<SettingOwner> wanted(owners);
        const QStringList problems = LoadSettingsFromIni(ctx.SettingsStore(), ctx.SettingOwners(), env, [&](const OptionRow& row) {
            return std::find(wanted.begin(), wanted.end(), OwnerOf(row)) != wanted.end()
                   || keys.contains(QString::fromLatin1(row.key));
        });
        for (const QString& problem : problems)
            dialogs.Print(problem, SettingsProblemText::Title());
    } catch (...) {
        ctx.Errors().HandleUnexpectedError(QStringLiteral("parvexcmd.LoadSettings"));
    }
}

QString FolderArgument(const QString& text) { return text.isEmpty() ? text : AbsolutePath(text); }

QByteArray EscapedField(const QString& field) { return EscapedFileName(field).toUtf8(); }

CommandSession::CommandSession() : CommandSession(AppContext::LocateProgramFolders()) {}

CommandSession::CommandSession(const ProgramFolders& folders) : ctx(folders.application, dialogs, folders.assets)
{
    dialogs.SetBeforeMessage([this] { view.Wipe(); });
    Interruption::Install(ctx.Compare());
}

CommandSession::~CommandSession()
{
    if (ctx.Lib().IsLoaded())
        ctx.Lib().SetMessageHandler(nullptr, nullptr);
    Interruption::Uninstall();
}

bool CommandSession::Start(std::initializer_list<SettingOwner> owners, const CompareOptions& options,
                           const QStringList& keys)
{
    QString problem;
    if (!ctx.LoadHelperLibrary(&problem)) {
        std::fprintf(stderr, "parvexcmd: cannot load the helper library: %s\n", problem.toUtf8().constData());
        return false;
    }
    ctx.Lib().SetMessageHandler(
        [](const char* text, const char* title, void* context) {
            static_cast<ConsoleDialogs*>(context)->Print(QString::fromUtf8(text), QString::fromUtf8(title));
        },
        &dialogs);
    LoadCommandSettings(ctx, dialogs, owners, keys);
    ApplyCompareOptions(options, ctx.Compare());
    return true;
}
