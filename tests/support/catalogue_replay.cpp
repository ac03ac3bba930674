#include "catalogue_replay.h"

#include "platform/sqlite_db.h"

#include <QFile>
#include <QRegularExpression>

namespace karvel::test {

std::ostream& operator<<(std::ostream& os, const DocumentState& d) {
    return os << '[' << d.state.toStdString() << ' ' << d.borrower.toStdString() << ' '
              << d.category.toStdString() << ' ' << d.loans << ']';
}

Catalogue readCatalogue(const QString& path) {
    Database db(path);
    auto rows = db.prepare(QStringLiteral(
        "SELECT inventaire, emprunté, emprunteur, catégorieemprunteur, cumul FROM vok"));
    Catalogue catalogue;
    while (rows->step())
        catalogue[rows->text(0)] = {rows->text(1).toUpper(), rows->text(2), rows->text(3),
                                    rows->text(4).toLongLong()};
    return catalogue;
}

std::vector<Entry> readEntries(const QString& path, qint64& offset, QStringList& bad) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    file.seek(offset);
    const QByteArray bytes = file.readAll();
    const qsizetype end = bytes.lastIndexOf("\r\n");
    if (end < 0)
        return {};
    offset += end + 2;

    static const QRegularExpression header(
        QStringLiteral(R"(^\d\d/\d\d/\d{4} - \d\d:\d\d - (Emprunt|Restitution) d'un document$)"));
    static const QRegularExpression found(
        QStringLiteral(R"(^Emprunteur : (\S+) \(emprunteur (école|extérieur)[ )])"));
    static const QRegularExpression gone(QStringLiteral(
        R"(^(\S+) - L'emprunteur n'est plus inscrit dans le fichier \(emprunteur (.*)\)$)"));
    static const QRegularExpression document(QStringLiteral(R"(^Document : (\S+) - )"));
    std::vector<Entry> entries;
    int expected = 0; // 1 header, 2 borrower or document, 3 document, 4 dates
    QList<QByteArray> lines = bytes.left(end + 2).split('\n');
    lines.removeLast(); // what follows the last line end
    for (const QByteArray& raw : lines) {
        QString line = QString::fromUtf8(raw);
        if (!line.endsWith(QLatin1Char('\r')) || !line.startsWith(QLatin1Char('"')) ||
            line.size() < 3 || line[line.size() - 2] != QLatin1Char('"')) {
            bad << line;
            continue;
        }
        line = line.mid(1, line.size() - 3);
        QRegularExpressionMatch m;
        if ((m = header.match(line)).hasMatch()) {
            if (expected != 0 && expected != 1)
                bad << QStringLiteral("entry cut short before: ") + line;
            entries.push_back({m.captured(1) == QLatin1String("Emprunt"), {}, {}, {}});
            expected = 2;
        } else if (expected == 2 &&
                   ((m = found.match(line)).hasMatch() || (m = gone.match(line)).hasMatch())) {
            entries.back().borrower = m.captured(1);
            entries.back().category = m.captured(2);
            expected = 3;
        } else if ((expected == 2 || expected == 3) && (m = document.match(line)).hasMatch()) {
            entries.back().document = m.captured(1);
            expected = 4;
        } else if (expected == 4 && line.startsWith(QStringLiteral("emprunté le "))) {
            expected = 1;
        } else {
            bad << line;
        }
    }
    if (expected != 1 && !entries.empty())
        bad << QStringLiteral("last entry cut short");
    return entries;
}

} // namespace karvel::test
