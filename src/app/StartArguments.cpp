#include "app/StartArguments.h"

#include "base/Path.h"

#include <QCommandLineParser>
#include <QDir>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString HelpHint = QStringLiteral("Try 'parvex --help' for more information.\n");

bool IsHelp(const QString& a)
{
    return a == QLatin1String("-h") || a == QLatin1String("--help") || a == QLatin1String("-?");
}
bool IsVersion(const QString& a) { return a == QLatin1String("-v") || a == QLatin1String("--version"); }

bool IsFolder(const QString& path)
{
    struct stat st {};
    return ::stat(EncodeFileName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

StartArguments Refused(const QString& problem)
{
    StartArguments refused;
    refused.action = StartArguments::Action::Refuse;
    refused.text = QStringLiteral("parvex: ") + problem + QLatin1Char('\n') + HelpHint;
    return refused;
}

} // namespace

QStringList ProgramArguments(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << DecodeFileName(argv[i], static_cast<qsizetype>(std::strlen(argv[i])));
    return args;
}

QString StartFolder()
{
    QByteArray buffer(4096, '\0');
    while (::getcwd(buffer.data(), static_cast<size_t>(buffer.size())) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1 << 20))
            return QDir::currentPath();
        buffer.resize(buffer.size() * 2);
    }
    return DecodeFileName(buffer.constData(), static_cast<qsizetype>(std::strlen(buffer.constData())));
}

StartArguments::Action InformationAskedFor(const QStringList& arguments)
{
    bool version = false;
    for (const QString& a : arguments) {
        if (a == QLatin1String("--"))
            break; // what follows is folders, whatever they look like
        if (IsHelp(a))
            return StartArguments::Action::Help;
        version = version || IsVersion(a);
    }
    return version ? StartArguments::Action::Version : StartArguments::Action::Run;
}

QString HelpText()
{
    return QStringLiteral(
        "Usage: parvex [options] [LEFT [RIGHT]]\n"
        "Compares two folders and brings them into step.\n"
        "\n"
        "Options:\n"
        "  -h, --help     Show this help and end.\n"
        "  -v, --version  Show the version and end.\n"
        "\n"
        "Arguments:\n"
        "  LEFT           The folder for the left side.\n"
        "  RIGHT          The folder for the right side; with both folders given they\n"
        "                 are compared at once.\n"
        "\n"
        "When Parvex is already running, its window takes the folders over and no second\n"
        "window opens. Put -- before a folder whose name begins with \"-\".\n");
}

QString VersionLine() { return QStringLiteral("parvex ") + QStringLiteral(PARVEX_VERSION) + QLatin1Char('\n'); }

StartArguments ReadStartArguments(const QStringList& arguments, const QString& workingFolder)
{
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")},
                                  QStringLiteral("Show this help and end."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and end."));
    parser.addOption(help);
    parser.addOption(version);
    if (!parser.parse(QStringList{QStringLiteral("parvex")} + arguments))
        return Refused(parser.errorText());

    StartArguments start;
    if (parser.isSet(help)) {
        start.action = StartArguments::Action::Help;
        start.text = HelpText();
        return start;
    }
    if (parser.isSet(version)) {
        start.action = StartArguments::Action::Version;
        start.text = VersionLine();
        return start;
    }
    const QStringList given = parser.positionalArguments();
    if (given.size() > 2)
        return Refused(QStringLiteral("at most two folders can be given (LEFT and RIGHT), not %1.").arg(given.size()));
    for (const QString& folder : given) {
        if (folder.isEmpty())
            return Refused(QStringLiteral("an empty folder name was given."));
        const QString absolute = folder.startsWith(QLatin1Char('/')) ? folder : Path::WithSlash(workingFolder) + folder;
        const QString clean = QDir::cleanPath(absolute);
        if (!IsFolder(clean))
            return Refused(QStringLiteral("\"%1\" is not a folder.").arg(DisplayFileName(folder)));
        start.folders << Path::WithSlash(clean);
    }
    return start;
}

void WriteToTerminal(const QString& text, bool error)
{
    std::FILE* out = error ? stderr : stdout;
    std::fputs(DisplayFileName(text).toUtf8().constData(), out);
    std::fflush(out);
}
