#pragma once
// Makes a status text heard: a screen reader follows the focus, not the status pane, so a
// failure that shows only there would pass a blind diver by.

#include <QAccessible>

class QString;
class QWidget;

// Tells assistive technology that `pane` now shows `text`; raises an alert when the text
// reports a failure. The events go to `send`: the accessibility bridge unless a test
// listens itself, since a platform without a bridge drops them unseen.
void AnnounceStatus(QWidget* pane, const QString& text,
                    void (*send)(QAccessibleEvent*) = &QAccessible::updateAccessibility);

// True for a status text that reports a failure or a refusal.
bool IsFailureStatus(const QString& text);
