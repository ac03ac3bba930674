// Scripted desk sessions on real catalogue, pupils and members files: the
// kinds of reading, loans and returns with every refusal, the desk's fields
// after each reading, and readings that try to break out of a query.

#include "desk/overtaken.h"
#include "desk/stocktaking.h"
#include "loan_desk_fixture.h"
#include "platform/sqlite_db.h"

#include <functional>

using namespace karvel;
using namespace karvel::test;

namespace {

using InterpreterTest = LoanDeskTest;

TEST_F(InterpreterTest, CommandsAndBorrowersByTheirFirstLetters) {
    read({"r"});
    EXPECT_EQ(desk.actionWord, "RESTITUTION");
    EXPECT_EQ(desk.actionCaption, "Restitution de documents");
    EXPECT_EQ(t.ctx.desk.CurrentAction, "Restitution d'un document");

    read({"eco-00042"});
    EXPECT_EQ(desk.borrowerReading, "eco-00042");
    EXPECT_EQ(desk.borrowerKind, "école");
    EXPECT_EQ(desk.borrowerNumber, "00042");
    EXPECT_EQ(desk.borrowerName, "Léa Martin");
    EXPECT_EQ(t.ctx.desk.BorrowerCategory, "école");

    read({"e"});
    EXPECT_EQ(desk.actionWord, "EMPRUNT");
    EXPECT_EQ(desk.actionCaption, "Emprunt de documents");
    EXPECT_EQ(t.ctx.desk.CurrentAction, "Emprunt d'un document");
    EXPECT_EQ(desk.borrowerName, "Léa Martin") << "a command word keeps the borrower";

    read({"E-00012"});
    EXPECT_EQ(doc("00012", "emprunteur"), "00042") << "E- starts a document, not a command";
    EXPECT_EQ(desk.handledDocuments, QStringList({"00012 - Douze"}));

    read({"i"});
    EXPECT_EQ(t.printer.jobs().size(), 1u);
    EXPECT_EQ(desk.handledDocuments, QStringList({"00012 - Douze"})) << "printing keeps the list";
    EXPECT_EQ(desk.actionWord, "EMPRUNT");

    read({"EXT-00007"});
    EXPECT_EQ(desk.borrowerKind, "extérieur");
    EXPECT_EQ(desk.borrowerName, "Jean Dupont");
    EXPECT_TRUE(desk.handledDocuments.isEmpty()) << "a new borrower starts a new list";
    EXPECT_TRUE(desk.reading.isEmpty());
    EXPECT_TRUE(desk.focusReading);
    EXPECT_TRUE(texts().isEmpty());
}

TEST_F(InterpreterTest, DocumentNumbersAndRefusalsBeforeAnyLoan) {
    read({"ECO-00042", "DOC-00001"});
    EXPECT_EQ(texts(), QStringList({"Procédure impossible ... La commande n'est pas connue : "
                                    "EMPRUNT ou RESTITUTION"}));

    read({"EMPRUNT", "ECO-00043", "123"});
    EXPECT_EQ(desk.documentNumber, "00123") << "a number typed by hand is padded";
    EXPECT_EQ(doc("00123", "emprunté"), "O");
    EXPECT_EQ(doc("00123", "cumul"), "010");

    read({"DOC-123"});
    EXPECT_EQ(doc("C-123", "emprunté"), "O") << "DOC-123 is the document C-123";

    read({"DOC-99999"});
    EXPECT_EQ(texts(),
              QStringList({"Procédure impossible ...\n(Pas de document avec ce numéro...)"}));
    EXPECT_TRUE(desk.documentNumber.isEmpty());

    read({"ECO-00077"});
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Information);
    EXPECT_EQ(t.dialogs.shown[0].caption, "KarVel pour La V.O.K.");
    EXPECT_EQ(texts(), QStringList({"Emprunt impossible ...\n(Pas d'emprunteur avec ce "
                                    "matricule...)"}));
    EXPECT_EQ(desk.actionWord, "") << "an unknown borrower resets the desk";
    EXPECT_EQ(desk.borrowerReading, "");

    read({"E", "DOC-00001"});
    EXPECT_EQ(texts(), QStringList({"Procédure impossible ... L'emprunteur n'est pas connu"}));
    EXPECT_EQ(desk.documentNumber, "00001") << "the number stays for the borrower to come";
    EXPECT_EQ(doc("00001", "emprunté"), "N");
}

TEST_F(InterpreterTest, LoanStatesAtTheLoanAndTheReturn) {
    read({"E", "ECO-00043", "DOC-00009", "DOC-00003", "DOC-00005", "DOC-00004"});
    EXPECT_EQ(texts(),
              QStringList({"Le document est déjà considéré comme «emprunté»...",
                           "Le document a été «inventorié»... et n'est plus empruntable pour le "
                           "moment. Terminez la procédure d'inventaire!",
                           "Le document choisi ne peut pas être emprunté.\nIl doit obligatoirement "
                           "être consulté sur place.\nSi tu veux réellement emprunter un "
                           "document, choisis-en un autre !"}))
        << "a document that may not be lent at all is refused without a word";
    EXPECT_EQ(doc("00004", "emprunté"), "N");
    EXPECT_EQ(doc("00004", "cumul"), "000");
    EXPECT_TRUE(desk.reading.isEmpty());

    read({"R", "DOC-00001", "DOC-00003", "DOC-00005", "DOC-00006"});
    EXPECT_EQ(texts(),
              QStringList({"Le document n'est pas actuellement considéré comme «emprunté»...",
                           "Le document a été «inventorié»... et n'est plus empruntable pour le "
                           "moment. Terminez la procédure d'inventaire!",
                           "Le document n'est pas actuellement considéré comme «emprunté»..."}));
    EXPECT_EQ(doc("00003", "emprunté"), "I");
    EXPECT_TRUE(desk.handledDocuments.isEmpty());

    read({"DOC-00009"});
    EXPECT_EQ(doc("00009", "emprunté"), "N");
    EXPECT_EQ(doc("00009", "emprunteur"), "");
    EXPECT_EQ(doc("00009", "catégorieemprunteur"), "");
    EXPECT_EQ(doc("00009", "dateemprunt"), "07/03/2026");
    EXPECT_EQ(doc("00009", "cumul"), "009");
    EXPECT_EQ(desk.handledDocuments, QStringList({"00009 - Le Lion"}));
    EXPECT_EQ(QStringList({desk.borrowerReading, desk.borrowerKind, desk.borrowerNumber,
                           desk.borrowerName}),
              QStringList({"ECO-00042", "école", "00042", "Léa Martin"}))
        << "a return needs no borrower and shows whose document came back";
    EXPECT_TRUE(desk.documentNumber.isEmpty());

    read({"E"});
    EXPECT_TRUE(desk.handledDocuments.isEmpty());
    EXPECT_EQ(desk.borrowerName, "Léa Martin");
}

TEST_F(InterpreterTest, PupilLimitOfTwoAskedThenForcedOrNot) {
    read({"E", "ECO-00042", "DOC-00001"});
    EXPECT_TRUE(texts().isEmpty()) << "holding one, limit two";
    EXPECT_EQ(doc("00001", "emprunté"), "O");
    EXPECT_EQ(doc("00001", "emprunteur"), "00042");
    EXPECT_EQ(doc("00001", "catégorieemprunteur"), "école");
    EXPECT_EQ(doc("00001", "dateemprunt"), "07/03/2026");
    EXPECT_EQ(doc("00001", "cumul"), "008");
    EXPECT_EQ(desk.documentNumber, "00001");

    t.dialogs.answers = {AnswerOk, AnswerYes};
    read({"DOC-00002"});
    EXPECT_EQ(texts(), QStringList({"L'élève a déjà emprunté 2 livres...\n\nIl doit en rendre UN "
                                    "pour pouvoir en emprunter un nouveau !",
                                    "Voulez-vous forcer cet emprunt ?"}));
    EXPECT_EQ(doc("00002", "emprunté"), "O") << "the document read, not the last one counted";
    EXPECT_EQ(doc("00002", "cumul"), "001");
    EXPECT_EQ(t.ctx.answer, AnswerYes);

    t.dialogs.answers = {AnswerOk, AnswerNo};
    read({"DOC-00012"});
    ASSERT_EQ(t.dialogs.shown.size(), 3u);
    EXPECT_EQ(t.dialogs.shown[0].text.left(30), "L'élève a déjà emprunté 3 livr");
    EXPECT_EQ(t.dialogs.shown[1].buttons, Buttons::YesNo);
    EXPECT_EQ(t.dialogs.shown[2].text, "L'emprunt n'a pas été forcé...");
    EXPECT_EQ(t.dialogs.shown[2].icon, Icon::Question);
    EXPECT_EQ(doc("00012", "emprunté"), "N");
    EXPECT_EQ(doc("00012", "cumul"), "000");
    EXPECT_EQ(desk.handledDocuments,
              QStringList({"00001 - Le Petit Prince", "00002 - Tintin, au Tibet"}));
}

TEST_F(InterpreterTest, MembersAreDatedOnlyWhenTheLoanIsMade) {
    read({"E", "EXT-00008"});
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Exclamation);
    EXPECT_EQ(texts(), QStringList({"Anne Durand n'est pas autorisé(e) à emprunter "
                                    "actuellement...\n\nDésolé... Procédure interrompue!!!"}));
    EXPECT_EQ(desk.actionWord, "") << "the whole desk is reset";
    EXPECT_EQ(desk.borrowerName, "");

    // Member 00007 holds one document; limit 1.
    t.ctx.loanLimits.memberLimit = "1";
    read({"E", "EXT-00007", "DOC-00001"});
    EXPECT_EQ(texts(),
              QStringList({"L'adhérent extérieur a déjà emprunté un livre...\n\n"
                           "L'adhérent extérieur doit le rendre pour pouvoir en "
                           "emprunter un nouveau !",
                           "Voulez-vous forcer cet emprunt ?", "L'emprunt n'a pas été forcé..."}));
    EXPECT_EQ(member("00007", "datedernieremprunt"), "01/01/2026") << "refused: untouched";
    EXPECT_EQ(doc("00001", "emprunté"), "N");

    // The pupil with the same number holds a document; the member does not.
    read({"EXT-00042", "DOC-00001"});
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_EQ(doc("00001", "catégorieemprunteur"), "extérieur");
    EXPECT_EQ(member("00042", "datedernieremprunt"), "07/03/2026");

    // Barred after the card was read: refused at the loan, the desk kept.
    Database(school.members()).exec("UPDATE membres SET emprunt = 'n' WHERE matricule = '00042'");
    read({"DOC-00002"});
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Exclamation);
    EXPECT_EQ(
        texts(),
        QStringList({"Paul Bernard\nn'est pas autorisé(e) à emprunter actuellement...\nDésolé"}));
    EXPECT_EQ(doc("00002", "emprunté"), "");
    EXPECT_EQ(desk.borrowerName, "Paul Bernard");
}

// Desk B's force question stays open while desk A, on the same folder,
// lends, lends and takes back, or marks the same document: B's Yes then
// saves nothing, lists nothing, journals nothing, and says what happened.
TEST_F(InterpreterTest, AnotherDeskChangesTheDocumentWhileTheForceQuestionIsOpen) {
    TestContext a;
    place(a.ctx);
    DeskState deskA;
    readAt(a.ctx, deskA, {"E", "ECO-00043"});
    read({"E", "ECO-00042", "DOC-00001"}); // Léa now holds two: limit reached

    struct Case {
        QString document;
        std::function<void()> atDeskA;
        QString said;
        QString state, borrower, cumul;
        int entriesOfA;
    };
    const std::vector<Case> cases = {
        {"00002", [&] { readAt(a.ctx, deskA, {"DOC-00002"}); },
         "Le document vient d'être emprunté à un autre poste (emprunteur : 00043)...", "O", "00043",
         "001", 1},
        {"00006",
         [&] {
             readAt(a.ctx, deskA, {"DOC-00006", "R", "DOC-00006"});
         },
         "Le document vient d'être restitué à un autre poste...", "N", "", "001", 2},
        {"00012",
         [&] {
             a.dialogs.inputs = {"DOC-00012", std::nullopt};
             RunStocktaking(a.ctx);
         },
         "Le document vient d'être inventorié à un autre poste...", "I", "", "000", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.document.toStdString());
        const QByteArray journalBefore = journal();
        t.dialogs.whileOpen = [&](const ShownMessage& m) {
            if (m.text == "Voulez-vous forcer cet emprunt ?")
                c.atDeskA();
        };
        t.dialogs.answers = {AnswerOk, AnswerYes};
        read({"DOC-" + c.document});
        ASSERT_EQ(t.dialogs.shown.size(), 3u);
        EXPECT_EQ(t.dialogs.shown[2].icon, Icon::Critical);
        EXPECT_EQ(t.dialogs.shown[2].caption, "KarVel pour La V.O.K.");
        EXPECT_EQ(texts().last(), c.said + "\nL'emprunt n'a pas été enregistré.");
        EXPECT_EQ(doc(c.document, "emprunté"), c.state);
        EXPECT_EQ(doc(c.document, "emprunteur"), c.borrower);
        EXPECT_EQ(doc(c.document, "cumul"), c.cumul);
        EXPECT_EQ(desk.handledDocuments, QStringList({"00001 - Le Petit Prince"}));
        EXPECT_TRUE(desk.documentNumber.isEmpty());
        EXPECT_TRUE(desk.reading.isEmpty());
        const QByteArray added = journal().mid(journalBefore.size());
        EXPECT_FALSE(added.contains("Emprunteur : 00042 ")) << "nothing of B journalled";
        EXPECT_EQ(added.count("\"Document : " + c.document.toUtf8()), c.entriesOfA);
    }
    t.dialogs.whileOpen = nullptr;

    // The desk goes on: the next loan is asked and made as usual.
    t.dialogs.answers = {AnswerOk, AnswerYes};
    read({"DOC-00123"});
    EXPECT_EQ(doc("00123", "emprunteur"), "00042");
    EXPECT_EQ(desk.handledDocuments,
              QStringList({"00001 - Le Petit Prince", "00123 - Cent vingt-trois"}));
}

// A return decided on a record that desk A took back and lent again
// meanwhile is not saved over A's loan, nor journalled.
TEST_F(InterpreterTest, AReturnOvertakenByAnotherDesk) {
    TestContext a;
    place(a.ctx);
    DeskState deskA;
    t.ctx.desk.CurrentAction = "Restitution d'un document";
    DocumentView& view = t.ctx.views.documentsView;
    view.bind(school.catalogue());
    view.query(Queries::documentByNumber("00009"));
    readAt(a.ctx, deskA, {"R", "DOC-00009", "E", "ECO-00043", "DOC-00009"});
    EXPECT_FALSE(RecordReturn(t.ctx));
    EXPECT_EQ(OvertakenMessage(view, DeskChange::Return),
              "Le document vient d'être emprunté à un autre poste (emprunteur : 00043)...\n"
              "La restitution n'a pas été enregistrée.");
    EXPECT_EQ(doc("00009", "emprunteur"), "00043");
    EXPECT_EQ(doc("00009", "cumul"), "010");
    EXPECT_EQ(journal().count("Restitution d'un document"), 1) << "desk A's return alone";
    EXPECT_TRUE(t.dialogs.shown.empty());
}

TEST_F(InterpreterTest, QuotesInReadingsFindNothingAndChangeNothing) {
    const QByteArray before = [&] {
        QFile file(school.catalogue());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    const QString noBorrower = "Emprunt impossible ...\n(Pas d'emprunteur avec ce matricule...)";
    const QString noDocument = "Procédure impossible ...\n(Pas de document avec ce numéro...)";
    read({"E", "ECO-'0042", "EXT-'0007"});
    EXPECT_EQ(texts(), QStringList({noBorrower, noBorrower}));
    read({"E", "ECO-00042", "DOC-1' OR '1'='1", "DOC-0'42", "DOC-' OR 1=1 --"});
    EXPECT_EQ(texts(), QStringList(3, noDocument));
    QFile file(school.catalogue());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

TEST_F(InterpreterTest, DatabaseFailureKeepsTheReadingAndWhatWasSaved) {
    read({"E", "ECO-00042", "DOC-00001"});
    t.ctx.views.documentsView.close();
    QFile::remove(school.catalogue());
    read({"DOC-00002"});
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_TRUE(t.dialogs.shown[0].text.startsWith("Le logiciel a rencontré l'erreur : "));
    EXPECT_EQ(t.dialogs.shown[0].caption, "La V.O.K.");
    EXPECT_EQ(desk.reading, "DOC-00002");
    EXPECT_EQ(desk.handledDocuments, QStringList({"00001 - Le Petit Prince"}));
}

TEST_F(InterpreterTest, ResetEmptiesTheDeskButNotTheProgramValues) {
    read({"R", "ECO-00042", "DOC-00009"});
    desk.reading = "DOC-0";
    desk.focusReading = false;
    ResetLoanDesk(desk);
    EXPECT_EQ(desk.reading + desk.actionWord + desk.borrowerReading + desk.documentNumber +
                  desk.actionCaption + desk.borrowerKind + desk.borrowerNumber + desk.borrowerName,
              "");
    EXPECT_TRUE(desk.handledDocuments.isEmpty());
    EXPECT_TRUE(desk.focusReading);
    EXPECT_EQ(t.ctx.desk.CurrentAction, "Restitution d'un document");
}

} // namespace
