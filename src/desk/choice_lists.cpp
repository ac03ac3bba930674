#include "desk/choice_lists.h"

#include "data/folders.h"
#include "desk/app_context.h"

namespace karvel {

namespace {

const QString kSeparator = QStringLiteral(" - ");
const QString kPupil = QStringLiteral("école");
const QString kExternal = QStringLiteral("extérieur");

} // namespace

QStringList ClassEntries(AppContext& ctx) {
    QStringList lines;
    if (folderExists(ctx.pupilsFolder) && fileExistsIn(ctx.pupilsFolder, kPupilsFile)) {
        RecordView& classes = ctx.views.classesView;
        classes.bind(pathIn(ctx.pupilsFolder, kPupilsFile));
        classes.query(Queries::classes());
        for (; !classes.isEOF(); classes.moveNext())
            lines.push_back(classes.field(QStringLiteral("équipenuméro")) + kSeparator +
                            classes.field(QStringLiteral("équipeniveau")) + kSeparator +
                            classes.field(QStringLiteral("équipeinstituteur")));
    }
    lines.push_back(kExternalMembersEntry);
    return lines;
}

BorrowerList BorrowersOfClass(AppContext& ctx, const QString& classLine) {
    const QString classNumber = classLine.left(2);
    BorrowerList list;
    RecordView* view = nullptr;
    QString surname, firstName;
    if (classNumber == QStringLiteral("XX")) {
        list.category = kExternal;
        view = &ctx.views.membersView;
        view->query(Queries::membersByName());
        surname = QStringLiteral("nom");
        firstName = QStringLiteral("prénom");
    } else {
        list.category = kPupil;
        view = &ctx.views.pupilsView;
        view->query(Queries::pupilsOfClass(classNumber));
        surname = QStringLiteral("nomenfant");
        firstName = QStringLiteral("prénomenfant");
    }
    ctx.desk.BorrowerCategory = list.category;
    for (; !view->isEOF(); view->moveNext())
        list.lines.push_back(view->field(QStringLiteral("matricule")) + kSeparator +
                             view->field(surname) + QLatin1Char(' ') + view->field(firstName));
    return list;
}

int FindBorrowerLine(const QStringList& lines, const QString& search) {
    if (search.trimmed().isEmpty())
        return -1;
    // The name starts after the five-character number and " - ".
    const QString wanted = search.toUpper();
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].mid(8, search.size()).toUpper() == wanted)
            return i;
    }
    return -1;
}

QString BorrowerReading(const QString& category, const QString& line) {
    if (category == kPupil)
        return QStringLiteral("ECO-") + line.left(5);
    if (category == kExternal)
        return QStringLiteral("EXT-") + line.left(5);
    return QString();
}

QString DocumentReading(const QString& line) {
    return QStringLiteral("DOC-") + line.left(5);
}

} // namespace karvel
