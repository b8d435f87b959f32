// The mapping of a value control's normalized value (0 to 1) onto its value range and back, as
// the slider and the knob step it by one unit of the range: linear, min + (max - min) * t, or
// logarithmic, min * (max / min)^t.
#pragma once

#include "ControlBase/Control.h"

#include <cmath>

namespace Orv
{
// The value in range units of the normalized value t.
inline double NormalizedToUserValue(const LControl& control, double t)
{
    const double minimum = control.GetMinimum();
    const double maximum = control.GetMaximum();
    if (control.GetScale() == LControl::kLogarithmicScale)
    {
        return minimum * std::pow(maximum / minimum, t);
    }
    return minimum + (maximum - minimum) * t;
}

// The normalized value of a value in range units, clamped to the range first; 0 for an empty
// range.
inline double UserValueToNormalized(const LControl& control, double value)
{
    const double minimum = control.GetMinimum();
    const double maximum = control.GetMaximum();
    const double low = std::fmin(minimum, maximum);
    const double high = std::fmax(minimum, maximum);
    const double clamped = std::fmin(std::fmax(value, low), high);
    double t = 0.0;
    if (control.GetScale() == LControl::kLogarithmicScale)
    {
        const double span = std::log(maximum / minimum);
        t = span != 0.0 ? std::log(clamped / minimum) / span : 0.0;
    }
    else
    {
        const double span = maximum - minimum;
        t = span != 0.0 ? (clamped - minimum) / span : 0.0;
    }
    if (std::isnan(t))
    {
        return 0.0;
    }
    return std::fmin(std::fmax(t, 0.0), 1.0);
}
} // namespace Orv
