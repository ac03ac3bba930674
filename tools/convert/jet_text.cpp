#include "jet_text.h"

#include <QDate>
#include <array>
#include <charconv>
#include <cmath>

namespace karvel::convert {

namespace {

constexpr qint64 kSecondsPerDay = 86400;

template <typename T> QString fixedText(T value) {
    // Large enough for the longest double in fixed notation (309 digits).
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed);
    if (result.ec != std::errc())
        return QString::number(double(value), 'g', 17);
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}

} // namespace

QString jetDateText(double value) {
    // Access keeps dates between the years 100 and 9999; anything far beyond is
    // not a date, and is kept as its number rather than lost.
    if (!std::isfinite(value) || std::fabs(value) > 1e7)
        return numberText(value);
    double days = std::trunc(value);
    qint64 seconds = std::llround(std::fabs(value - days) * double(kSecondsPerDay));
    if (seconds >= kSecondsPerDay) {
        // 23:59:59.6 rounds to the next midnight, whichever side of 1899 it is.
        seconds -= kSecondsPerDay;
        days += 1;
    }
    const QDate date = QDate(1899, 12, 30).addDays(qint64(days));
    const QChar zero(u'0');
    QString text = QStringLiteral("%1/%2/%3")
                       .arg(date.day(), 2, 10, zero)
                       .arg(date.month(), 2, 10, zero)
                       .arg(date.year(), 4, 10, zero);
    if (seconds != 0)
        text += QStringLiteral(" %1:%2:%3")
                    .arg(seconds / 3600, 2, 10, zero)
                    .arg(seconds / 60 % 60, 2, 10, zero)
                    .arg(seconds % 60, 2, 10, zero);
    return text;
}

QString numberText(double value) {
    return fixedText(value);
}

QString numberText(float value) {
    // Formatted as a float, so that 0.05f stays "0.05" and does not become
    // the digits of the nearest double.
    return fixedText(value);
}

QString moneyText(qint64 tenThousandths) {
    const bool negative = tenThousandths < 0;
    const quint64 magnitude =
        negative ? quint64(0) - quint64(tenThousandths) : quint64(tenThousandths);
    QString text =
        (negative ? QStringLiteral("-") : QString()) + QString::number(magnitude / 10000);
    QString fraction = QStringLiteral("%1").arg(magnitude % 10000, 4, 10, QChar(u'0'));
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (!fraction.isEmpty())
        text += QLatin1Char('.') + fraction;
    return text;
}

QString binaryText(const QByteArray& bytes) {
    return QStringLiteral("0x") + QString::fromLatin1(bytes.toHex());
}

} // namespace karvel::convert
