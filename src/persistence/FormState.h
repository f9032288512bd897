#pragma once
// The main window's placement, kept in the preferences section "FormState".

#include "device/CStdStr.h"

#include <QList>
#include <QRect>

class PreferencesStore;
class QWidget;

// Where a window with the saved normal rectangle can stand on the screens there are now, given
// their available rectangles (the first is the primary screen) and the window's frame around
// the rectangle. The framed window goes to the screen it overlaps most, or to the first when it
// overlaps none (a screen that is gone), is made no larger than that screen and is moved the
// least that puts it wholly on it. With no screen at all the saved rectangle is kept.
QRect PlaceOnScreens(const QRect& saved, const QList<QRect>& screens,
                     const QMargins& frame = QMargins());

// Writes "Maximized", "Left", "Top", "Right", "Bottom" and "Saved" (true), in that order,
// and writes them through to the store. The rectangle is the normal one, also while the
// window is maximized; "Right" and "Bottom" only for a window that can be resized. Returns
// the message for an error box when the store could not be written, or an empty text.
CStdStr SaveFormState(PreferencesStore& store, const QWidget& window);

// Gives the window its saved normal rectangle (what is missing from the store is taken from
// where the window stands), placed on the screens there are now by PlaceOnScreens, and
// maximizes it when it was. For the first showing: call it before show()
// or from the show event.
void RestoreFormState(const PreferencesStore& store, QWidget& window);
