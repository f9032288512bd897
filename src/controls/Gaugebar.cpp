#include "controls/Gaugebar.h"

#include <algorithm>
#include <cmath>

namespace {

// rnd(offset * w / span + 1), kept on the strip: the clamp at the left changes no visible
// pixel and keeps far-off values from overflowing the conversion to int.
int Column(double offset, double span, int w)
{
    return int(std::clamp(std::round(offset * w / span + 1), 0.0, double(w)));
}

int Channel(int begin, int end, double factor)
{
    return int(std::clamp(begin + std::trunc((end - begin) * factor / 256), 0.0, 255.0));
}

}  // namespace

TGaugeBar GaugeBar(double value, double lo, double hi, double span, double centre, int w)
{
    TGaugeBar bar;
    if (w <= 0)
        return bar;
    const int e = Column(value - lo, span, w);
    if (lo < centre && centre < hi) {
        const int k = Column(centre - lo, span, w);
        bar.From = std::min(e, k);
        bar.To = std::max(e, k);
        bar.Drawn = value != centre;
        bar.Centre = k;
        bar.Factor = value > centre ? std::round((value - centre) * 256 / (hi - centre) + 1)
                                    : std::round((centre - value) * 256 / (centre - lo) + 1);
    } else {
        bar.To = e;
        bar.Drawn = e > 0;
        bar.Factor = std::round((value - lo) * 256 / span + 1);
    }
    return bar;
}

QColor GaugeColor(const QColor& begin, const QColor& end, double factor)
{
    // Beyond +-256 * 256 every channel that changes at all is already saturated; the limit
    // only keeps far-off values finite.
    const double f = std::clamp(factor, -65536.0, 65536.0);
    return QColor(Channel(begin.red(), end.red(), f), Channel(begin.green(), end.green(), f),
                  Channel(begin.blue(), end.blue(), f));
}

double SnapToStep(double v, double step)
{
    return step > 0 ? std::round(v / step) * step : v;
}
