#include "desk/interpreter.h"

#include "common/text.h"
#include "data/error_report.h"
#include "data/folders.h"
#include "desk/app_context.h"
#include "desk/desk_state.h"
#include "desk/journal.h"
#include "desk/loan_limits.h"
#include "desk/loan_list.h"
#include "desk/overtaken.h"

#include <optional>

namespace karvel {

namespace {

const QString kLoan = QStringLiteral("EMPRUNT");
const QString kReturn = QStringLiteral("RESTITUTION");
const QString kPupil = QStringLiteral("école");
const QString kMember = QStringLiteral("extérieur");

// The desk's messages, each whole on one line so that a text seen on screen
// leads here.
// clang-format off
const QString kUnknownCommand = QStringLiteral("Procédure impossible ... La commande n'est pas connue : EMPRUNT ou RESTITUTION");
const QString kUnknownBorrower = QStringLiteral("Procédure impossible ... L'emprunteur n'est pas connu");
const QString kNoSuchBorrower = QStringLiteral("Emprunt impossible ...\n(Pas d'emprunteur avec ce matricule...)");
const QString kNoSuchDocument = QStringLiteral("Procédure impossible ...\n(Pas de document avec ce numéro...)");
const QString kNotLent = QStringLiteral("Le document n'est pas actuellement considéré comme «emprunté»...");
const QString kAlreadyLent = QStringLiteral("Le document est déjà considéré comme «emprunté»...");
const QString kInventoried = QStringLiteral("Le document a été «inventorié»... et n'est plus empruntable pour le moment. Terminez la procédure d'inventaire!");
const QString kReadOnSite = QStringLiteral("Le document choisi ne peut pas être emprunté.\nIl doit obligatoirement être consulté sur place.\nSi tu veux réellement emprunter un document, choisis-en un autre !");
// After the member's name, when the card is read, then when a loan is tried.
const QString kMemberBarredAtCard = QStringLiteral(" n'est pas autorisé(e) à emprunter actuellement...\n\nDésolé... Procédure interrompue!!!");
const QString kMemberBarredAtLoan = QStringLiteral("\nn'est pas autorisé(e) à emprunter actuellement...\nDésolé");
// clang-format on

bool same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A member's `emprunt` of "N" or "0" bars them from borrowing for now.
bool memberBarred(const RecordView& member) {
    const QString allowed = member.field(QStringLiteral("emprunt"));
    return same(allowed, QStringLiteral("N")) || allowed == QLatin1String("0");
}

class Interpretation {
  public:
    Interpretation(AppContext& ctx, DeskState& desk) : ctx_(ctx), desk_(desk) {}

    void run() {
        const QString reading = desk_.reading;
        if (same(reading, kReturn) || same(reading, QStringLiteral("R")))
            command(kReturn, QStringLiteral("Restitution de documents"),
                    QStringLiteral("Restitution d'un document"));
        else if (same(reading, kLoan) || same(reading, QStringLiteral("E")))
            command(kLoan, QStringLiteral("Emprunt de documents"),
                    QStringLiteral("Emprunt d'un document"));
        else if (same(reading, QStringLiteral("IMPRESSION")) || same(reading, QStringLiteral("I")))
            print();
        else if (same(reading.left(3), QStringLiteral("ECO")))
            pupil(reading);
        else if (same(reading.left(3), QStringLiteral("EXT")))
            member(reading);
        else
            document(reading);
    }

  private:
    void clearReading() {
        desk_.reading.clear();
        desk_.focusReading = true;
    }
    void refuse(Icon icon, const QString& text) {
        ctx_.play(Sound::Refused);
        ctx_.dialogs.message(icon, kProgramCaption, text);
    }
    // A refusal about the document read: the number goes with the reading.
    void refuseDocument(const QString& text) {
        refuse(Icon::Critical, text);
        desk_.documentNumber.clear();
        clearReading();
    }
    void refuseBorrower() {
        refuse(Icon::Information, kNoSuchBorrower);
        ResetLoanDesk(desk_);
    }

    void command(const QString& word, const QString& caption, const QString& action) {
        desk_.actionWord = word;
        desk_.actionCaption = caption;
        ctx_.desk.CurrentAction = action;
        desk_.documentNumber.clear();
        desk_.handledDocuments.clear();
        clearReading();
    }

    void print() {
        PrintLoanList(ctx_, desk_);
        clearReading();
    }

    void pupil(const QString& reading) {
        desk_.borrowerReading = reading;
        desk_.borrowerKind = kPupil;
        ctx_.desk.BorrowerCategory = kPupil;
        desk_.borrowerNumber = lastFive(reading);
        RecordView& pupils = findPupil(desk_.borrowerNumber);
        if (pupils.isEmpty())
            return refuseBorrower();
        desk_.borrowerName = pupilName(pupils);
        clearReading();
        desk_.handledDocuments.clear();
    }

    void member(const QString& reading) {
        desk_.borrowerReading = reading;
        desk_.borrowerKind = kMember;
        ctx_.desk.BorrowerCategory = kMember;
        desk_.borrowerNumber = lastFive(reading);
        RecordView& members = findMember(desk_.borrowerNumber);
        if (members.isEmpty())
            return refuseBorrower();
        desk_.borrowerName = memberName(members);
        if (memberBarred(members)) {
            refuse(Icon::Exclamation, desk_.borrowerName + kMemberBarredAtCard);
            return ResetLoanDesk(desk_);
        }
        clearReading();
        desk_.handledDocuments.clear();
    }

    RecordView& findPupil(const QString& number) {
        RecordView& pupils = ctx_.views.pupilsView;
        pupils.bind(pathIn(ctx_.pupilsFolder, kPupilsFile));
        pupils.query(Queries::pupilByNumber(number));
        return pupils;
    }
    static QString pupilName(const RecordView& pupil) {
        return pupil.field(QStringLiteral("prénomenfant")) + QLatin1Char(' ') +
               pupil.field(QStringLiteral("nomenfant"));
    }
    static QString memberName(const RecordView& member) {
        return member.field(QStringLiteral("prénom")) + QLatin1Char(' ') +
               member.field(QStringLiteral("nom"));
    }

    // After a return the desk shows whose document came back, as if that
    // borrower's card had been read: what a loan made next would use is
    // what the desk shows. The return is saved and listed already; a
    // borrower who cannot be found leaves the name empty, a document lent
    // to no known kind of borrower leaves no borrower.
    void showBorrowerOf(const QString& category, const QString& number) {
        desk_.borrowerReading.clear();
        desk_.borrowerKind.clear();
        desk_.borrowerNumber.clear();
        desk_.borrowerName.clear();
        const bool pupil = same(category, kPupil);
        if (!pupil && !same(category, kMember))
            return;
        desk_.borrowerReading = (pupil ? QStringLiteral("ECO-") : QStringLiteral("EXT-")) + number;
        desk_.borrowerKind = pupil ? kPupil : kMember;
        desk_.borrowerNumber = number;
        RunReportingErrors(ctx_, [&] {
            RecordView& borrower = pupil ? findPupil(number) : findMember(number);
            if (!borrower.isEmpty())
                desk_.borrowerName = pupil ? pupilName(borrower) : memberName(borrower);
        });
    }

    RecordView& findMember(const QString& number) {
        RecordView& members = ctx_.views.membersView;
        members.bind(pathIn(ctx_.dataFolder, kMembersFile));
        members.query(Queries::memberByNumber(number));
        return members;
    }

    DocumentView& findDocument(const QString& number) {
        DocumentView& documents = ctx_.views.documentsView;
        documents.bind(pathIn(ctx_.dataFolder, kCatalogueFile));
        documents.query(Queries::documentByNumber(number));
        return documents;
    }

    void document(const QString& reading) {
        if (desk_.actionWord.isEmpty()) {
            refuse(Icon::Critical, kUnknownCommand);
            return clearReading();
        }
        desk_.documentNumber = zeroPadded(lastFive(reading));
        DocumentView& documents = findDocument(desk_.documentNumber);
        if (documents.isEmpty())
            return refuseDocument(kNoSuchDocument);
        const QString state = documents.field(QStringLiteral("emprunté"));
        if (same(desk_.actionWord, kReturn))
            takeBack(documents, state);
        else if (same(desk_.actionWord, kLoan))
            lend(documents, state);
        else
            clearReading();
    }

    void refuseInventoried() { refuseDocument(kInventoried); }

    void takeBack(DocumentView& documents, const QString& state) {
        if (same(state, QStringLiteral("O"))) {
            const QString line = desk_.documentNumber + QStringLiteral(" - ") +
                                 documents.field(QStringLiteral("titre"));
            const QString category = documents.field(QStringLiteral("catégorieemprunteur"));
            const QString borrower = documents.field(QStringLiteral("emprunteur"));
            if (!RecordReturn(ctx_))
                return refuseDocument(OvertakenMessage(documents, DeskChange::Return));
            // Listed once saved, so the printed list never shows a return
            // that did not happen.
            desk_.handledDocuments.append(line);
            desk_.documentNumber.clear();
            clearReading();
            ctx_.play(Sound::Recorded);
            showBorrowerOf(category, borrower);
        } else if (state.isEmpty() || same(state, QStringLiteral("N"))) {
            refuseDocument(kNotLent);
        } else if (same(state, QStringLiteral("I"))) {
            refuseInventoried();
        } else {
            clearReading();
        }
    }

    void lend(DocumentView& documents, const QString& state) {
        if (desk_.borrowerReading.isEmpty()) {
            refuse(Icon::Critical, kUnknownBorrower);
            return clearReading();
        }
        DeskValues& values = ctx_.desk;
        values.BorrowerNumber = lastFive(desk_.borrowerNumber);
        values.DocumentNumber = desk_.documentNumber;

        if (same(state, QStringLiteral("O")))
            return refuseDocument(kAlreadyLent);
        if (same(state, QStringLiteral("I")))
            return refuseInventoried();
        if (!state.isEmpty() && !same(state, QStringLiteral("N")))
            return refuseDocument(kReadOnSite);
        if (!same(documents.field(QStringLiteral("emprunt")), QStringLiteral("O")))
            return clearReading();
        // The loan is saved onto the record as read here, or not at all:
        // while the limit question is open another desk may lend or mark it.
        const RecordView::FieldTexts decided = documents.loanState();

        RecordView* member = nullptr;
        if (same(desk_.borrowerKind, kMember)) {
            values.BorrowerCategory = kMember;
            member = &findMember(values.BorrowerNumber);
            if (memberBarred(*member)) {
                refuse(Icon::Exclamation, desk_.borrowerName + kMemberBarredAtLoan);
                return clearReading();
            }
        } else if (same(desk_.borrowerKind, kPupil)) {
            values.BorrowerCategory = kPupil;
        }

        if (!PassesLoanLimit(ctx_, values.BorrowerCategory, values.BorrowerNumber))
            return clearReading();
        // The count moved the document view; the loan goes to the document read.
        DocumentView& lent = findDocument(values.DocumentNumber);

        const QString today = formatDate(ctx_.clock.today());
        lent.setField(QStringLiteral("emprunté"), QStringLiteral("O"));
        lent.setField(QStringLiteral("emprunteur"), values.BorrowerNumber);
        lent.setField(QStringLiteral("catégorieemprunteur"), values.BorrowerCategory);
        lent.setField(QStringLiteral("dateemprunt"), today);
        lent.setField(
            QStringLiteral("cumul"),
            zeroPadded(QString::number(numericValue(lent.field(QStringLiteral("cumul"))) + 1), 3));
        if (!lent.saveOnto(decided))
            return refuseDocument(OvertakenMessage(lent, DeskChange::Loan));
        // The member's date of last loan is written only once the loan is
        // saved: a refused or unforced loan, a document gone meanwhile or a
        // save that fails leaves the member untouched. A date that cannot be
        // written is told, and the loan, made already, is still listed and
        // journalled.
        if (member) {
            RunReportingErrors(ctx_, [&] {
                member->setField(QStringLiteral("datedernieremprunt"), today);
                member->save();
            });
        }

        desk_.handledDocuments.append(desk_.documentNumber + QStringLiteral(" - ") +
                                      lent.field(QStringLiteral("titre")));
        WriteJournalEntry(ctx_);
        clearReading();
        ctx_.play(Sound::Recorded);
    }

    AppContext& ctx_;
    DeskState& desk_;
};

} // namespace

void InterpretReading(AppContext& ctx, DeskState& desk) {
    try {
        Interpretation(ctx, desk).run();
    } catch (const KarvelError& error) {
        ShowStandardError(ctx, error);
    }
}

bool RecordReturn(AppContext& ctx) {
    // The entry is made from the record as it stands, before the return, but
    // written only once the return is saved. A journal that cannot be made
    // does not stop the return.
    std::optional<QByteArray> entry;
    RunReportingErrors(ctx, [&] { entry = JournalEntry(ctx); });

    DocumentView& documents = ctx.views.documentsView;
    const RecordView::FieldTexts decided = documents.loanState();
    documents.setField(QStringLiteral("emprunté"), QStringLiteral("N"));
    documents.setField(QStringLiteral("emprunteur"), QString());
    documents.setField(QStringLiteral("catégorieemprunteur"), QString());
    documents.setField(QStringLiteral("dateemprunt"), formatDate(ctx.clock.today()));
    documents.clearCaption();
    if (!documents.saveOnto(decided))
        return false;

    if (entry)
        RunReportingErrors(ctx, [&] { AppendJournalEntry(ctx, *entry); });
    return true;
}

void ResetLoanDesk(DeskState& desk) {
    desk.reading.clear();
    desk.actionWord.clear();
    desk.borrowerReading.clear();
    desk.documentNumber.clear();
    desk.actionCaption.clear();
    desk.borrowerKind.clear();
    desk.borrowerNumber.clear();
    desk.borrowerName.clear();
    desk.handledDocuments.clear();
    desk.focusReading = true;
}

} // namespace karvel
