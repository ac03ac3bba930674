#include "school_year/pupil_file.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/search_fold.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <optional>

namespace karvel::school_year {

namespace {

// The header names of each column, folded as a search folds them.
struct ColumnName {
    const char* name;
    Column column;
};
constexpr ColumnName kColumnNames[] = {
    {"nom", Column::Surname},         {"prenom", Column::FirstName},
    {"classe", Column::Class},        {"niveau", Column::Level},
    {"cycle", Column::Cycle},         {"enseignant", Column::Teacher},
    {"instituteur", Column::Teacher}, {"date de naissance", Column::BirthDate},
    {"naissance", Column::BirthDate},
};

std::optional<Column> columnNamed(const QString& header) {
    const QString folded = foldForSearch(header.simplified());
    for (const ColumnName& known : kColumnNames) {
        if (folded == QLatin1String(known.name))
            return known.column;
    }
    return std::nullopt;
}

// The separator the header line holds most of, outside quotes; ";" when it
// holds none (a file of one column).
QChar separatorOf(const QString& text) {
    constexpr std::array<char, 3> kCandidates = {';', '\t', ','};
    std::array<int, 3> counts{};
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r')))
            break;
        else if (!quoted)
            for (size_t i = 0; i < kCandidates.size(); ++i)
                counts[i] += c == QLatin1Char(kCandidates[i]);
    }
    const auto most = std::max_element(counts.begin(), counts.end());
    return QLatin1Char(*most > 0 ? kCandidates[size_t(most - counts.begin())] : ';');
}

struct Record {
    int line = 0;
    QStringList fields;
};

// Splits CSV text into records. A field that starts with a quote may hold
// separators, line ends and doubled quotes; a record's line is the line it
// starts on.
std::vector<Record> splitRecords(const QString& text, QChar separator) {
    std::vector<Record> records;
    Record current{1, {}};
    QString field;
    bool quoted = false;
    int line = 1;
    const auto endRecord = [&] {
        current.fields << field;
        field.clear();
        const bool blank = current.fields.size() == 1 && current.fields[0].trimmed().isEmpty();
        if (!blank)
            records.push_back(current);
        current = Record{line, {}};
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                line += c == QLatin1Char('\n');
                field += c;
            }
        } else if (c == QLatin1Char('"') && field.isEmpty()) {
            quoted = true; // a quote inside an unquoted field is only a character
        } else if (c == separator) {
            current.fields << field;
            field.clear();
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            ++line;
            endRecord();
        } else {
            field += c;
        }
    }
    if (!field.isEmpty() || !current.fields.isEmpty())
        endRecord();
    return records;
}

} // namespace

bool PupilFile::has(Column column) const {
    return std::find(columns.begin(), columns.end(), column) != columns.end();
}

PupilFile parsePupilFile(const QByteArray& bytes) {
    PupilFile file;
    QString text = decodeText(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    file.separator = separatorOf(text);
    const std::vector<Record> records = splitRecords(text, file.separator);
    if (records.empty()) {
        file.refusal = QStringLiteral("Le fichier est vide.");
        return file;
    }
    std::vector<std::optional<Column>> columnOf;
    for (const QString& header : records[0].fields) {
        const std::optional<Column> column = columnNamed(header);
        if (column && file.has(*column)) {
            file.refusal = QStringLiteral("La ligne d'en-tête nomme deux fois la colonne « %1 ».")
                               .arg(header.trimmed());
            return file;
        }
        if (column)
            file.columns.push_back(*column);
        columnOf.push_back(column);
    }
    if (!file.has(Column::Surname)) {
        file.refusal = QStringLiteral(
            "La première ligne du fichier doit nommer les colonnes : nom, prénom, classe, niveau, cycle, enseignant (la colonne « nom » au moins).");
        return file;
    }
    for (size_t r = 1; r < records.size(); ++r) {
        PupilRow row;
        row.line = records[r].line;
        const QStringList& fields = records[r].fields;
        for (qsizetype i = 0; i < fields.size() && size_t(i) < columnOf.size(); ++i) {
            if (!columnOf[size_t(i)])
                continue;
            const QString value = fields[i].simplified();
            switch (*columnOf[size_t(i)]) {
            case Column::Surname:
                row.surname = value;
                break;
            case Column::FirstName:
                row.firstName = value;
                break;
            case Column::Class:
                row.classNumber = value;
                break;
            case Column::Level:
                row.level = value;
                break;
            case Column::Cycle:
                row.cycle = value;
                break;
            case Column::Teacher:
                row.teacher = value;
                break;
            case Column::BirthDate:
                row.birthDate = value;
                break;
            }
        }
        file.rows.push_back(row);
    }
    return file;
}

PupilFile readPupilFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("ods") && suffix != QLatin1String("xlsx") &&
        suffix != QLatin1String("xls"))
        return parsePupilFile(FileSystem().read(path));

    // A spreadsheet goes through LibreOffice's own CSV export: UTF-8, ";"
    // between fields, every text quoted.
    QString office = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
    if (office.isEmpty())
        office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    PupilFile refused;
    if (office.isEmpty()) {
        refused.refusal = QStringLiteral(
            "Pour lire un fichier .ods ou .xlsx, KarVel a besoin de LibreOffice (paquet libreoffice-calc-nogui). Vous pouvez aussi enregistrer le tableau au format CSV depuis votre tableur et importer ce fichier.");
        return refused;
    }
    QTemporaryDir out;
    QProcess convert;
    convert.start(office, {QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                           QStringLiteral("csv:Text - txt - csv (StarCalc):59,34,76"),
                           QStringLiteral("--outdir"), out.path(), path});
    const bool done = convert.waitForFinished(120000) && convert.exitCode() == 0;
    const QString csv =
        out.path() + QLatin1Char('/') + QFileInfo(path).completeBaseName() + QStringLiteral(".csv");
    if (!done || !QFileInfo::exists(csv)) {
        refused.refusal = QStringLiteral(
            "LibreOffice n'a pas pu convertir ce tableau en CSV. Enregistrez-le au format CSV depuis votre tableur et importez ce fichier.");
        return refused;
    }
    return parsePupilFile(FileSystem().read(csv));
}

} // namespace karvel::school_year
