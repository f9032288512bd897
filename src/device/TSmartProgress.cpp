#include "device/TSmartProgress.h"

#include <algorithm>
#include <cmath>

TSmartProgress::TSmartProgress(int n)
    : total(n),
      onPercent(Callback::membertranslator_1<int, TSmartProgress, void (TSmartProgress::*)(int)>(
          *this, &TSmartProgress::Ignore))
{
}

void TSmartProgress::Start(int n)
{
    total = n;
    current = 0;
    percent = 0;
    onPercent.Invoke(0);
}

int TSmartProgress::Update()
{
    // A total below 0 counts as no work at all, like a total of 0.
    current = std::clamp(current, 0, std::max(total, 0));
    const int old = percent;
    if (current == 0)
        percent = 0;
    else if (current < total)
        percent =
            static_cast<int>(std::floor(100.0 / (static_cast<double>(total) / current) + 0.5));
    else
        percent = 100;
    if (percent != old)
        onPercent.Invoke(percent);
    return percent;
}
