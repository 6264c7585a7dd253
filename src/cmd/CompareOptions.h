#pragma once

#include "app/AppContext.h"
#include "cmd/ConsoleDialogs.h"
#include "cmd/ConsoleProgressView.h"
#include "settings/OptionTable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>

class CCompare;

// The comparison options every command that compares takes, and what the commands share around them.

// What the command line sets; anything left unset comes from the settings file.
struct CompareOptions
{
    std::optional<int32_t> method;
    std::optional<int32_t> chunkSize;
    std::optional<bool> subFolders;
    std::optional<QString> include;
    std::optional<QString> exclude;
    bool excludeHiddenFiles = false;
    bool excludeSystemFiles = false;
    bool excludeHiddenFolders = false;
    bool excludeSystemFolders = false;
    std::optional<bool> ignoreTwoSec;
    std::optional<bool> ignoreDst;
    bool details = false;
    bool help = false;
    QStringList folders;
};

constexpr int ExitSame = 0;
constexpr int ExitDifferent = 1;
constexpr int ExitTrouble = 2;

// A command's own options: given an option's name, its value if written as --name=value, and a way to
// take the next argument as its value, answers whether it knew the option (error: a usage problem).
using ExtraOptionParser = std::function<bool(const QString& name, const std::optional<QString>& inlineValue,
                                             const std::function<std::optional<QString>()>& value, QString& error)>;

// Walks args: "--name", "--name=value" and "--name value" go to parse, every other argument (and all after
// "--") to positional. Answers the first usage problem, empty when none.
QString ParseOptionArguments(const QStringList& args, QStringList& positional, const ExtraOptionParser& parse);

// Parses args; answers an error text for bad usage, empty when fine. command names the command in it.
QString ParseCompareOptions(const QStringList& args, CompareOptions& o, const ExtraOptionParser& extra,
                            const QString& command);
void ApplyCompareOptions(const CompareOptions& o, CCompare& compare);

// Loads the settings file's keys of the given owners only, and the single keys named in keys.
void LoadCommandSettings(AppContext& ctx, ConsoleDialogs& dialogs, std::initializer_list<SettingOwner> owners,
                         const QStringList& keys = {});

// Folders on the command line count from the working folder, as every tool's do; an empty one stays
// empty, for the path check to refuse, instead of naming the working folder.
QString FolderArgument(const QString& text);

// Linux names may hold tabs and line ends, which would split a field or a line; so within a field a
// backslash, tab, line feed and carriage return are written as \\, \t, \n and \r; and they may hold bytes
// that are not UTF-8, each written as \xHH (lower-case hex), so the output stays UTF-8 text and the name
// can be read back byte for byte.
QByteArray EscapedField(const QString& field);

// What every command that compares sets up: the console's dialogs and progress line, the context over
// the application folder, SIGINT and SIGTERM as cancel, and the helper library with its messages going to
// standard error. Everything is handed back when the session ends.
class CommandSession final
{
public:
    CommandSession();
    ~CommandSession();
    Q_DISABLE_COPY_MOVE(CommandSession)

    // Binds the helper library (saying why on standard error when it cannot), loads the settings of the
    // given owners and applies the command line's comparison options over them.
    bool Start(std::initializer_list<SettingOwner> owners, const CompareOptions& options, const QStringList& keys = {});

    ConsoleDialogs dialogs;
    ConsoleProgressView view;
    AppContext ctx;

private:
    explicit CommandSession(const ProgramFolders& folders);
};
