#include "ui/StatusNumber.h"

#include <cmath>

namespace {
constexpr int kSignificantDigits = 15;
// The powers of ten between which a number is written out in full.
constexpr int kLeastFullExponent = -9;
constexpr int kMostFullExponent = kSignificantDigits - 1;
} // namespace

QString statusNumber(double value, QLocale locale) {
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    if (value == 0 || !std::isfinite(value))
        return locale.toString(value == 0 ? 0.0 : value);
    // The exponent the number has once rounded to its shown digits: 999999999999999.9 is 1e15.
    const QString rounded = QString::number(value, 'e', kSignificantDigits - 1);
    const int exponent = rounded.mid(rounded.indexOf(QLatin1Char('e')) + 1).toInt();
    if (exponent < kLeastFullExponent || exponent > kMostFullExponent)
        return locale.toString(value, 'g', kSignificantDigits);
    QString shown = locale.toString(value, 'f', kMostFullExponent - exponent);
    const QString point = locale.decimalPoint();
    if (shown.contains(point)) {
        const QString zero = locale.zeroDigit();
        while (shown.endsWith(zero))
            shown.chop(zero.size());
        if (shown.endsWith(point))
            shown.chop(point.size());
    }
    return shown;
}
