#pragma once
// The numbers a job prints, from a series or a list typed in a printing
// window: reading and checking them, and how a label writes each one.

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>
#include <variant>
#include <vector>

namespace karvel {

// The numbers of one job: a series, which may be far too long to list, or
// the items of a list.
class LabelNumbers {
  public:
    static LabelNumbers series(qint64 start, qint64 end);
    static LabelNumbers list(std::vector<double> items);

    qint64 count() const;
    // The number of the k-th label, from 0.
    double at(qint64 k) const;
    // The gauge, 0 to 100, once the k-th label (from 0) is printed. A series
    // counts from its first label (which shows 0), a list from 1; a series
    // of one label shows 100.
    int progressAfter(qint64 k) const;
    // The most characters a number of the job takes on its label.
    int widestNumber() const;

  private:
    bool series_ = true;
    qint64 start_ = 0;
    qint64 end_ = 0;
    std::vector<double> items_;
};

// A number as its label prints it: rounded, at least five digits.
QString formatLabelNumber(double number);
// The items of a list: "-" and "/" end an item; a separator at the very
// end adds none; two separators in a row give an empty item.
QStringList splitList(const QString& list);

// The most labels a series prints: every five-digit number and one more.
inline constexpr qint64 kLargestSeries = 100000;

// The series start and end checked, or the message that refuses them.
std::variant<LabelNumbers, QString> readSeries(const QString& start, const QString& end);
// The items of a list read as numbers; nothing when the list is blank.
std::optional<LabelNumbers> readList(const QString& text);

} // namespace karvel
