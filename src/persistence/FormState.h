#pragma once
// The main window's placement, kept in the preferences section "FormState".

#include "device/CStdStr.h"

class PreferencesStore;
class QWidget;

// Writes "Maximized", "Left", "Top", "Right", "Bottom" and "Saved" (true), in that order,
// and writes them through to the store. The rectangle is the normal one, also while the
// window is maximized; "Right" and "Bottom" only for a window that can be resized. Returns
// the message for an error box when the store could not be written, or an empty text.
CStdStr SaveFormState(PreferencesStore& store, const QWidget& window);

// Gives the window its saved normal rectangle (what is missing from the store is taken from
// where the window stands), moved to (0, 0) with its size kept when its top-left corner lies
// on no screen, and maximizes it when it was. For the first showing: call it before show()
// or from the show event.
void RestoreFormState(const PreferencesStore& store, QWidget& window);
