#pragma once
// Small text rules shared by the loan desk, the journal and the printing windows.

#include <QDate>
#include <QString>

namespace karvel {

inline const QString kProgramCaption = QStringLiteral("KarVel pour La V.O.K.");
inline const QString kApplicationTitle = QStringLiteral("La V.O.K.");

// "dd/mm/yyyy", the form of every date the program writes.
QString formatDate(const QDate& date);
// The last five characters of a reading, with surrounding blanks removed.
QString lastFive(const QString& text);
// A numeric text as five digits with leading zeros ("123" → "00123"); any
// other text unchanged.
QString zeroPadded(const QString& text, int width = 5);

} // namespace karvel
