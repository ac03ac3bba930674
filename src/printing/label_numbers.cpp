#include "printing/label_numbers.h"

#include "printing/layout_settings.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace karvel {

namespace {

// clang-format off
const QString kStartMissing = QStringLiteral("Données incomplètes : Le numéro de début de série n'a pas été indiqué...");
const QString kEndMissing = QStringLiteral("Données incomplètes : Le numéro de fin de série n'a pas été indiqué...");
const QString kStartInvalid = QStringLiteral("Données incorrectes : Le numéro de début de série n'est pas valable...");
const QString kEndInvalid = QStringLiteral("Données incorrectes : Le numéro de fin de série n'est pas valable...");
const QString kEndBelowStart = QStringLiteral("Données incorrectes : Le numéro de fin de série est inférieur au numéro de début...");
const QString kSeriesTooLong = QStringLiteral("Données incorrectes : Une série ne peut pas dépasser %1 codes-barres...").arg(kLargestSeries);
// clang-format on

// The largest series number: a label number the counts and the gauge can
// still do sums with.
constexpr qint64 kLargestSeriesNumber = std::numeric_limits<qint32>::max();

// A series bound as a whole positive number; nothing for "12abc", "12.5" or -3.
std::optional<qint64> seriesBound(const QString& text) {
    const std::optional<double> value = parseNumber(text);
    if (!value || *value < 1 || *value > double(kLargestSeriesNumber) ||
        *value != std::floor(*value))
        return std::nullopt;
    return qint64(*value);
}

} // namespace

LabelNumbers LabelNumbers::series(qint64 start, qint64 end) {
    LabelNumbers n;
    n.series_ = true;
    n.start_ = start;
    n.end_ = end;
    return n;
}

LabelNumbers LabelNumbers::list(std::vector<double> items) {
    LabelNumbers n;
    n.series_ = false;
    n.items_ = std::move(items);
    return n;
}

qint64 LabelNumbers::count() const {
    return series_ ? end_ - start_ + 1 : qint64(items_.size());
}

double LabelNumbers::at(qint64 k) const {
    return series_ ? double(start_ + k) : items_[size_t(k)];
}

int LabelNumbers::progressAfter(qint64 k) const {
    if (series_)
        return end_ == start_ ? 100 : int(k * 100 / (end_ - start_));
    return int((k + 1) * 100 / count());
}

int LabelNumbers::widestNumber() const {
    if (series_)
        return int(formatLabelNumber(double(end_)).size());
    qsizetype widest = 0;
    for (const double item : items_)
        widest = std::max(widest, formatLabelNumber(item).size());
    return int(widest);
}

QString formatLabelNumber(double number) {
    // Halves go away from zero, as the "00000" format rounds them.
    const double rounded = std::round(number);
    const QString digits =
        QString::number(std::abs(rounded), 'f', 0).rightJustified(5, QLatin1Char('0'));
    return rounded < 0 ? QLatin1Char('-') + digits : digits;
}

QStringList splitList(const QString& list) {
    QStringList items;
    QString item;
    for (QChar c : list) {
        if (c == QLatin1Char('-') || c == QLatin1Char('/')) {
            items << item;
            item.clear();
        } else {
            item += c;
        }
    }
    if (!item.isEmpty())
        items << item;
    return items;
}

std::variant<LabelNumbers, QString> readSeries(const QString& start, const QString& end) {
    if (start.trimmed().isEmpty())
        return kStartMissing;
    if (end.trimmed().isEmpty())
        return kEndMissing;
    if (decimalValue(start) == 0)
        return kStartInvalid;
    if (decimalValue(end) == 0)
        return kEndInvalid;
    // Texts the series cannot count with ("12abc", "2.5", "-3") are refused
    // here rather than failing halfway through the job.
    const std::optional<qint64> first = seriesBound(start);
    if (!first)
        return kStartInvalid;
    const std::optional<qint64> last = seriesBound(end);
    if (!last)
        return kEndInvalid;
    // Counting up from the start would never meet such an end.
    if (*last < *first)
        return kEndBelowStart;
    // A zero too many would spool sheets for hours, and cards would look up
    // a name for each.
    if (*last - *first + 1 > kLargestSeries)
        return kSeriesTooLong;
    return LabelNumbers::series(*first, *last);
}

std::optional<LabelNumbers> readList(const QString& text) {
    const QString list = text.trimmed();
    if (list.isEmpty())
        return std::nullopt;
    std::vector<double> items;
    for (const QString& item : splitList(list))
        items.push_back(decimalValue(item));
    return LabelNumbers::list(std::move(items));
}

} // namespace karvel
