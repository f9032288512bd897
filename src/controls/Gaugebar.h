#pragma once
// Where the gauge strip draws its bar for a value, and in which colour.

#include <QColor>

struct TGaugeBar {
    int From = 0;  // first pixel column of the bar
    int To = 0;    // one past its last column
    bool Drawn = false;
    int Centre = -1;    // column of the centre line; -1 when the bar grows from the left edge
    double Factor = 0;  // colour position: 0 is the begin colour, 256 the end colour
};

// value on a gauge ranging lo..hi; span is the edit's range (MaxValue - MinValue, made
// positive by the caller); centre is GaugeAroundCenter, used when strictly inside lo..hi;
// w is the strip width - 1.
TGaugeBar GaugeBar(double value, double lo, double hi, double span, double centre, int w);

// The colour at the given factor between begin and end, each channel held within 0..255.
QColor GaugeColor(const QColor& begin, const QColor& end, double factor);

// v rounded to the nearest multiple of step; v itself when step is not positive.
double SnapToStep(double v, double step);
