#pragma once
// Tidewell's own icon, for the title bars of its windows.

#include <QIcon>

// In the sizes that title bars and task switchers take: the icon theme has larger ones
// too, which every window made would decode for nothing.
QIcon ApplicationIcon();
