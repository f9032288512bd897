#pragma once
// How the window program starts.

#include <QString>

class TForm1;

// Gives the application the names that the desktop knows it by.
void NameTheApplication();

// Shows the main window; with `file`, opens that settings file as soon as the window is
// up, as Open does once the person has chosen it.
void ShowStartWindow(TForm1& form, const QString& file);
