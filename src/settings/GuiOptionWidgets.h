#pragma once

#include <QString>

class AppContext;
class QCheckBox;
class QPushButton;
class QRadioButton;
class QWidget;

// Small helpers shared by the settings windows: controls created with their object names, and the
// information message every settings window shows through the helper library.

QCheckBox* MakeCheck(QWidget* parent, const char* name, const QString& caption);
QRadioButton* MakeOption(QWidget* parent, const char* name, const QString& caption);
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption);

// Of an option pair, draws the chosen caption blue and the other black.
void MarkChosenOption(QRadioButton* chosen, QRadioButton* other);

// An information message with an OK button, through the helper library when it is bound.
void ShowInformation(AppContext& ctx, const QString& text, const QString& title);
