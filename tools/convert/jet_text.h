#pragma once
// How the values of a Jet file become text in a KarVel file. KarVel handles
// every field as text, so the conversion fixes one text per value: dates as
// "dd/mm/yyyy", numbers in plain digits with a decimal point and no thousands
// separator.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace karvel::convert {

// A Jet date (days since 30/12/1899, the fraction the time of day) as
// "dd/mm/yyyy", followed by " hh:mm:ss" only when it holds a time of day.
// Before 1899 the day counts backwards while the fraction still runs forwards.
QString jetDateText(double value);

// The shortest text that reads back as the same value, never in exponent form.
QString numberText(double value);
QString numberText(float value);

// A Currency value (an integer of ten-thousandths) exactly, without trailing zeros.
QString moneyText(qint64 tenThousandths);

// Binary data (pictures, OLE objects) as "0x" and hexadecimal digits.
QString binaryText(const QByteArray& bytes);

} // namespace karvel::convert
