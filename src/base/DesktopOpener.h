#pragma once

#include <QString>
#include <functional>

class QUrl;
class UserDialogs;

// How files and folders are handed to the desktop (their default program, the file manager); windows
// hold one so tests can replace it.
using UrlOpener = std::function<bool(const QUrl&)>;

// Hands path to open under the busy pointer. When no program takes it, says so (titled title): without
// a word the user would take the silence for a program still starting.
bool HandToDesktop(UserDialogs& dialogs, const UrlOpener& open, const QString& path, const QString& title);
