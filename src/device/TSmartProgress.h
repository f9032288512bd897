#pragma once
// Progress of a long device operation as a whole-number percentage. The owner's callback
// hears each new percentage once, in the order reached; steps that do not change the
// rounded value stay silent.

#include <boost/noncopyable.hpp>

#include "device/Callback.h"

class TSmartProgress : boost::noncopyable {
public:
    // Reports nowhere until the owner assigns `onPercent`.
    explicit TSmartProgress(int total);

    // Begins an operation of `n` units and reports 0, even if 0 was the last report.
    void Start(int n);
    // Keeps `current` within 0 and `total`, recomputes `percent` and reports it if it
    // changed. Returns `percent`.
    int Update();
    // The callback of a progress that reports nowhere.
    void Ignore(int) {}

    int total;
    int current = 0;  // callers change it directly, then call Update
    int percent = 0;
    Callback::Callback_1<int> onPercent;
};
