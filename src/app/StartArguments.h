#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of a start of the program: `parvex [LEFT [RIGHT]]`, `--help`, `--version`.
// A file manager's "Open With" passes the folders the user chose the same way.
struct StartArguments
{
    enum class Action { Run, Help, Version, Refuse };
    Action action = Action::Run;
    // Absolute, each ending in "/": none, the left folder, or the left and the right one.
    QStringList folders;
    // For the terminal: the help, the version line or what is wrong with the arguments (each ending in a
    // line break).
    QString text;
    // The exit status when the program ends at once: 0 for help and version, 2 for arguments refused.
    int ExitCode() const { return action == Action::Refuse ? 2 : 0; }
};

// The arguments after the program's name, each taken as the bytes it is (a folder whose name is not
// UTF-8 survives).
QStringList ProgramArguments(int argc, char** argv);
// The folder the program was started in, in the same reversible form.
QString StartFolder();

// Reads the arguments (the window system's own options already taken out). Relative folders are taken
// from workingFolder; a folder that does not exist, more than two folders or an unknown option is
// refused with a message that says which.
StartArguments ReadStartArguments(const QStringList& arguments, const QString& workingFolder);

// Help and the version are answered before the window system is reached, so they work without a
// display. Answers Help or Version when the arguments ask for one, Run otherwise.
StartArguments::Action InformationAskedFor(const QStringList& arguments);
QString HelpText();
QString VersionLine();

// Writes text to the standard output or error as UTF-8 (names that are not UTF-8 shown with \xHH).
void WriteToTerminal(const QString& text, bool error);
