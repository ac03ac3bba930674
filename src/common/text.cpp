#include "common/text.h"

namespace karvel {

QString formatDate(const QDate& date) {
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QString lastFive(const QString& text) {
    return text.right(5).trimmed();
}

QString zeroPadded(const QString& text, int width) {
    bool numeric = false;
    const qlonglong value = text.trimmed().toLongLong(&numeric);
    if (!numeric || value < 0)
        return text;
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

} // namespace karvel
