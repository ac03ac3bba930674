#include "desk/overdue_list.h"

#include "common/text.h"
#include "data/error_report.h"
#include "data/folders.h"
#include "desk/app_context.h"
#include "platform/draw_rule.h"

#include <QCollator>
#include <QHash>
#include <algorithm>
#include <array>
#include <tuple>

namespace karvel {

namespace {

// What LAVOK.INI's value 8 means when the file does not give it.
constexpr int kDefaultLoanDays = 15;

const QString kExternal = QStringLiteral("extérieur");

struct Borrower {
    QString name;
    QString classNumber; // empty for members and for pupils not found
};

// Borrowers and classes, each read once however many documents they hold.
class Directory {
  public:
    explicit Directory(AppContext& ctx) : ctx_(ctx) {
        hasPupils_ = folderExists(ctx.pupilsFolder) && fileExistsIn(ctx.pupilsFolder, kPupilsFile);
        if (!hasPupils_)
            return;
        RecordView& classes = ctx.views.classesView;
        classes.bind(pathIn(ctx.pupilsFolder, kPupilsFile));
        classes.query(Queries::classes());
        for (; !classes.isEOF(); classes.moveNext()) {
            const QString number = classes.field(QStringLiteral("équipenuméro")).trimmed();
            teachers_.insert(number.toUpper(),
                             {number, classes.field(QStringLiteral("équipeinstituteur"))});
        }
    }

    // The class's number as équipe spells it (else as given) and its teacher.
    std::pair<QString, QString> classOf(const QString& number) const {
        const auto found = teachers_.constFind(number.toUpper());
        return found == teachers_.cend() ? std::pair(number, QString()) : *found;
    }

    Borrower borrower(bool external, const QString& number) {
        QHash<QString, Borrower>& known = external ? members_ : pupils_;
        const auto found = known.constFind(number);
        if (found != known.cend())
            return *found;
        Borrower borrower{number.isEmpty() ? QStringLiteral("(sans numéro)") : number, {}};
        if (external) {
            RecordView& members = ctx_.views.membersView;
            members.bind(pathIn(ctx_.dataFolder, kMembersFile));
            members.query(Queries::memberByNumber(number));
            if (!members.isEmpty())
                borrower.name = members.field(QStringLiteral("nom")) + QLatin1Char(' ') +
                                members.field(QStringLiteral("prénom"));
        } else if (hasPupils_) {
            RecordView& pupils = ctx_.views.pupilsView;
            pupils.bind(pathIn(ctx_.pupilsFolder, kPupilsFile));
            pupils.query(Queries::pupilByNumber(number));
            if (!pupils.isEmpty()) {
                borrower.name = pupils.field(QStringLiteral("nomenfant")) + QLatin1Char(' ') +
                                pupils.field(QStringLiteral("prénomenfant"));
                borrower.classNumber = pupils.field(QStringLiteral("classe")).trimmed();
            }
        }
        return *known.insert(number, borrower);
    }

  private:
    AppContext& ctx_;
    bool hasPupils_ = false;
    QHash<QString, std::pair<QString, QString>> teachers_;
    QHash<QString, Borrower> pupils_;
    QHash<QString, Borrower> members_;
};

// Where a group stands in the list: the classes, the pupils of no known
// class, the external members.
enum class GroupRank { Class, NoClass, External };

QString groupHeading(GroupRank rank, const QString& number, const QString& teacher) {
    if (rank == GroupRank::External)
        return QStringLiteral("Extérieurs");
    if (rank == GroupRank::NoClass)
        return QStringLiteral("Élèves sans classe connue");
    if (teacher.trimmed().isEmpty())
        return QStringLiteral("Classe ") + number;
    return QStringLiteral("Classe ") + number + QStringLiteral(" - ") + teacher.trimmed();
}

void sortLines(std::vector<OverdueLine>& lines, const QCollator& names) {
    // Unreadable dates after every date, then the oldest loan first.
    const auto dateKey = [](const OverdueLine& line) {
        const std::optional<qint64> late = line.daysLate;
        return std::pair(!late.has_value(), late ? -*late : 0);
    };
    std::stable_sort(lines.begin(), lines.end(), [&](const OverdueLine& a, const OverdueLine& b) {
        if (const int byName = names.compare(a.borrowerName, b.borrowerName))
            return byName < 0;
        return std::tuple(a.borrowerNumber, dateKey(a), a.inventaire) <
               std::tuple(b.borrowerNumber, dateKey(b), b.inventaire);
    });
}

// The page margin, in twips, as the loan list has it.
constexpr double kPageMargin = 400;
// Where each column starts, as a share of the width between the margins.
constexpr double kBorrowerColumn = 0.45;
constexpr double kDateColumn = 0.72;
constexpr double kLateColumn = 0.86;
constexpr double kHeadingPoints = 14;
constexpr double kTextPoints = 10;

// `text`, cut and ended with "…" when it is wider than `width`.
QString fitted(const PrinterSurface& printer, const QString& text, double width) {
    if (printer.textWidth(text) <= width)
        return text;
    const QString ellipsis = QStringLiteral("…");
    QString cut = text;
    while (!cut.isEmpty() && printer.textWidth(cut + ellipsis) > width)
        cut.chop(1);
    return cut + ellipsis;
}

// The sheets of one job, each group on sheets of its own; a sheet that is
// full goes on to the next under the same heading.
class OverduePages {
  public:
    OverduePages(AppContext& ctx, const OverdueList& list)
        : ctx_(ctx), printer_(ctx.printer), list_(list) {}

    void print(const OverdueGroup& group) {
        startSheet(group, false);
        for (const OverdueLine& line : group.lines) {
            if (printer_.y() + printer_.textHeight() > printer_.printableHeight() - kPageMargin)
                startSheet(group, true);
            row({line.titre, line.borrowerName, line.dateemprunt, DaysLateText(line)});
        }
    }

  private:
    void startSheet(const OverdueGroup& group, bool continued) {
        if (started_)
            printer_.newPage();
        started_ = true;
        printer_.setY(kPageMargin);
        printer_.setFontSize(kHeadingPoints);
        printer_.setBold(true);
        text(QStringLiteral("Documents en retard - ") + group.heading +
             (continued ? QStringLiteral(" (suite)") : QString()));
        printer_.setFontSize(kTextPoints);
        printer_.setBold(false);
        text(QStringLiteral("Liste du ") + formatDate(list_.day) +
             QStringLiteral(" - durée maximale de prêt : ") + loanDurationText(list_.maximumDays));
        text();
        printer_.setBold(true);
        row({QStringLiteral("Titre"), QStringLiteral("Emprunteur"), QStringLiteral("Emprunté le"),
             QStringLiteral("Retard")});
        printer_.setBold(false);
        // The rule stands in a gap of its own, clear of the texts above and below.
        const double gap = printer_.textHeight() / 4;
        printer_.setY(printer_.y() + gap);
        DrawRule(ctx_.printer, ctx_.LeftMargin, ctx_.RightMargin);
        printer_.setY(printer_.y() + gap);
    }

    void text(const QString& line = QString()) {
        printer_.setX(kPageMargin);
        printer_.printLine(line);
    }

    void row(const std::array<QString, 4>& cells) {
        const double width = printer_.printableWidth() - 2 * kPageMargin;
        const std::array<double, 5> starts = {0, kBorrowerColumn, kDateColumn, kLateColumn, 1};
        // A gap between columns, so that a cut text never touches the next one.
        const double gap = printer_.textWidth(QStringLiteral("  "));
        for (size_t i = 0; i < cells.size(); ++i) {
            printer_.setX(kPageMargin + starts[i] * width);
            printer_.print(fitted(printer_, cells[i], (starts[i + 1] - starts[i]) * width - gap));
        }
        printer_.printLine();
    }

    AppContext& ctx_;
    PrinterSurface& printer_;
    const OverdueList& list_;
    bool started_ = false;
};

// One line of the spreadsheet: a field holding ";", a quote or a line end
// is quoted, its quotes doubled.
QString csvRow(const QStringList& fields) {
    QStringList cells;
    for (const QString& field : fields) {
        if (field.contains(QLatin1Char(';')) || field.contains(QLatin1Char('"')) ||
            field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'))) {
            QString quoted = field;
            quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            cells << QLatin1Char('"') + quoted + QLatin1Char('"');
        } else {
            cells << field;
        }
    }
    return cells.join(QLatin1Char(';')) + QStringLiteral("\r\n");
}

} // namespace

int MaximumLoanDays(const AppContext& ctx) {
    bool number = false;
    const int days = ctx.loanLimits.maxLoanDays.trimmed().toInt(&number);
    return number && days >= 0 ? days : kDefaultLoanDays;
}

std::optional<qint64> DaysLate(const QString& loanDate, const QDate& today, int maximumDays) {
    const std::optional<QDate> lent = parseDayFirstDate(loanDate);
    if (!lent)
        return std::nullopt;
    return lent->daysTo(today) - maximumDays;
}

OverdueList BuildOverdueList(AppContext& ctx) {
    OverdueList list;
    list.day = ctx.clock.today();
    list.maximumDays = MaximumLoanDays(ctx);

    struct Loan {
        OverdueLine line;
        QString category;
    };
    std::vector<Loan> loans;
    DocumentView& documents = ctx.views.documentsView;
    documents.bind(pathIn(ctx.dataFolder, kCatalogueFile));
    documents.query(Queries::documentsOnLoan());
    {
        RecordView::Walk walk(documents);
        const QStringList fields = {
            QStringLiteral("inventaire"), QStringLiteral("titre"), QStringLiteral("emprunteur"),
            QStringLiteral("catégorieemprunteur"), QStringLiteral("dateemprunt")};
        for (const qint64 row : documents.rowIds()) {
            const QStringList f = documents.peek(row, fields);
            if (f.isEmpty())
                continue; // removed since the query
            const std::optional<qint64> late = DaysLate(f[4], list.day, list.maximumDays);
            if (late && *late <= 0)
                continue;
            loans.push_back({{f[0], f[1], f[2].trimmed(), {}, f[4], late}, f[3]});
        }
    }

    Directory directory(ctx);
    struct Key {
        GroupRank rank;
        QString classNumber;
    };
    std::vector<std::pair<Key, OverdueGroup>> groups;
    const auto groupFor = [&](GroupRank rank, const QString& classNumber) -> OverdueGroup& {
        for (auto& [key, group] : groups) {
            if (key.rank == rank && key.classNumber.compare(classNumber, Qt::CaseInsensitive) == 0)
                return group;
        }
        const auto [number, teacher] = directory.classOf(classNumber);
        groups.push_back({{rank, number},
                          {rank == GroupRank::Class ? number : QString(),
                           teacher,
                           groupHeading(rank, number, teacher),
                           {}}});
        return groups.back().second;
    };
    for (Loan& loan : loans) {
        const bool external = loan.category.compare(kExternal, Qt::CaseInsensitive) == 0;
        const Borrower borrower = directory.borrower(external, loan.line.borrowerNumber);
        loan.line.borrowerName = borrower.name;
        GroupRank rank = GroupRank::Class;
        if (external)
            rank = GroupRank::External;
        else if (borrower.classNumber.isEmpty())
            rank = GroupRank::NoClass;
        groupFor(rank, rank == GroupRank::Class ? borrower.classNumber : QString())
            .lines.push_back(std::move(loan.line));
    }

    // Class numbers in their natural order: "2" before "10", "CE2" before "CM1".
    QCollator names{QLocale(QLocale::French, QLocale::France)};
    names.setCaseSensitivity(Qt::CaseInsensitive);
    QCollator numbers = names;
    numbers.setNumericMode(true);
    std::sort(groups.begin(), groups.end(), [&](const auto& a, const auto& b) {
        if (a.first.rank != b.first.rank)
            return a.first.rank < b.first.rank;
        return numbers.compare(a.first.classNumber, b.first.classNumber) < 0;
    });
    for (auto& [key, group] : groups) {
        sortLines(group.lines, names);
        list.groups.push_back(std::move(group));
    }
    return list;
}

QString DaysLateText(const OverdueLine& line) {
    return line.daysLate ? loanDurationText(*line.daysLate) : QStringLiteral("date illisible");
}

bool PrintOverdueList(AppContext& ctx, const OverdueList& list) {
    ctx.dialogs.setBusy(true);
    PrinterSurface& printer = ctx.printer;
    const double keptSize = printer.fontSize();
    const bool keptBold = printer.bold();
    const auto restoreFont = [&] {
        printer.setFontSize(keptSize);
        printer.setBold(keptBold);
    };
    try {
        printer.setOrientation(Orientation::Portrait);
        printer.setFullPage(false);
        ctx.LeftMargin = kPageMargin;
        OverduePages pages(ctx, list);
        for (const OverdueGroup& group : list.groups)
            pages.print(group);
        restoreFont();
        printer.endDocument();
    } catch (const KarvelError& error) {
        restoreFont();
        ReportFailedJob(ctx, error);
        return false;
    }
    ctx.dialogs.setBusy(false);
    return true;
}

QByteArray OverdueCsv(const OverdueList& list) {
    QString text = csvRow({QStringLiteral("Classe"), QStringLiteral("Enseignant"),
                           QStringLiteral("Inventaire"), QStringLiteral("Titre"),
                           QStringLiteral("Matricule"), QStringLiteral("Emprunteur"),
                           QStringLiteral("Date d'emprunt"), QStringLiteral("Jours de retard")});
    for (const OverdueGroup& group : list.groups) {
        const QString classText = group.classNumber.isEmpty() ? group.heading : group.classNumber;
        for (const OverdueLine& line : group.lines)
            text += csvRow({classText, group.teacher, line.inventaire, line.titre,
                            line.borrowerNumber, line.borrowerName, line.dateemprunt,
                            line.daysLate ? QString::number(*line.daysLate) : QString()});
    }
    // The byte order mark tells a spreadsheet the file is UTF-8; without it
    // some read the accents as Windows-1252.
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

bool ExportOverdueCsv(AppContext& ctx, const OverdueList& list, const QString& path) {
    return RunReportingErrors(ctx, [&] { ctx.files.writeAtomically(path, OverdueCsv(list)); });
}

} // namespace karvel
