// Stocktaking with scripted input boxes on a real catalogue.

#include "desk/desk_state.h"
#include "desk/interpreter.h"
#include "desk/stocktaking.h"
#include "test_data.h"

#include <gtest/gtest.h>

using namespace karvel;
using namespace karvel::test;

namespace {

class StocktakingTest : public ::testing::Test {
  protected:
    StocktakingTest() {
        SchoolFolder::insert(
            school.catalogue(), "vok",
            {{{"inventaire", "00123"}, {"emprunté", "N"}, {"cumul", "004"}},
             {{"inventaire", "00124"}, {"emprunté", ""}, {"dateemprunt", "01/01/2026"}},
             {{"inventaire", "00125"},
              {"emprunté", "O"},
              {"emprunteur", "00042"},
              {"catégorieemprunteur", "école"},
              {"dateemprunt", "01/03/2026"}},
             {{"inventaire", "00126"}, {"emprunté", "X"}},
             {{"inventaire", "00127"}, {"emprunté", "n"}}});
        t.ctx.dataFolder = school.data();
        t.ctx.views.documentsView.bind(school.catalogue());
    }
    QString field(const QString& number, const QString& name) {
        return SchoolFolder::value(school.catalogue(), "vok", "inventaire", number, name);
    }
    QStringList texts() const {
        QStringList list;
        for (const ShownMessage& m : t.dialogs.shown)
            list << m.text;
        return list;
    }
    void scan(std::initializer_list<std::optional<QString>> answers) {
        t.dialogs.inputs.assign(answers.begin(), answers.end());
        RunStocktaking(t.ctx);
    }
    SchoolFolder school;
    TestContext t;
};

TEST_F(StocktakingTest, MarksCountsAndRefuses) {
    scan({"DOC-00123", "123", "DOC-00123", "DOC-00125", "DOC-00126", "  00124", "DOC-00127",
          std::nullopt});
    EXPECT_EQ(texts(),
              QStringList({"Inventaire impossible ...\n(Pas de document avec ce numéro...)",
                           "Le document a déjà été inventorié...",
                           "Le document est actuellement considéré comme «emprunté»... "
                           "Il doit être restitué pour pouvoir être inventorié...",
                           " 3 documents inventoriés  "}));
    EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Critical);
    EXPECT_EQ(t.dialogs.shown.back().icon, Icon::Information);
    EXPECT_EQ(t.dialogs.prompts.size(), 8u);
    EXPECT_TRUE(t.dialogs.prompts[0].startsWith("Inventaire des documents|Effectuez une lecture"));

    EXPECT_EQ(field("00123", "emprunté"), "I");
    EXPECT_EQ(field("00123", "dateemprunt"), "07/03/2026");
    EXPECT_EQ(field("00123", "cumul"), "004") << "the loan count is kept";
    EXPECT_EQ(field("00124", "emprunté"), "I");
    EXPECT_EQ(field("00127", "emprunté"), "I");
    EXPECT_EQ(field("00125", "emprunté"), "O") << "a lent document keeps its borrower";
    EXPECT_EQ(field("00125", "emprunteur"), "00042");
    EXPECT_EQ(field("00126", "emprunté"), "X") << "an unknown state is left alone";
    EXPECT_EQ(t.ctx.views.documentsView.caption(), "");
}

TEST_F(StocktakingTest, TheDeskRefusesMarkedDocuments) {
    SchoolFolder::insert(school.pupilsFile(), "enfants",
                         {{{"matricule", "00042"}, {"nomenfant", "Durand"}}});
    t.ctx.pupilsFolder = school.pupils();
    t.ctx.views.pupilsView.bind(school.pupilsFile());
    t.ctx.views.membersView.bind(school.members());
    scan({"DOC-00123", std::nullopt});
    t.dialogs.shown.clear();

    DeskState desk;
    for (const QString reading :
         {"EMPRUNT", "ECO-00042", "DOC-00123", "RESTITUTION", "DOC-00123"}) {
        desk.reading = reading;
        InterpretReading(t.ctx, desk);
    }
    const QString refusal = "Le document a été «inventorié»... et n'est plus empruntable pour le "
                            "moment. Terminez la procédure d'inventaire!";
    EXPECT_EQ(texts(), QStringList({refusal, refusal})) << "refused at the loan and the return";
    EXPECT_EQ(field("00123", "emprunté"), "I");
    EXPECT_EQ(field("00123", "emprunteur"), "");
}

TEST_F(StocktakingTest, EndingsAndTheConfirmation) {
    scan({std::nullopt});
    EXPECT_EQ(texts(), QStringList({" 0 document inventorié  "}));

    t.dialogs.shown.clear();
    scan({"DOC-00123", "00000", "DOC-00124"});
    EXPECT_EQ(texts(), QStringList({" 1 document inventorié  "}));
    EXPECT_EQ(field("00124", "emprunté"), "") << "nothing is read after 00000";

    t.dialogs.shown.clear();
    t.dialogs.answers = {AnswerCancel};
    t.dialogs.inputs = {QString("DOC-00124")};
    ConfirmStocktaking(t.ctx);
    EXPECT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(t.dialogs.shown[0].buttons, Buttons::OkCancel);
    EXPECT_EQ(field("00124", "emprunté"), "") << "Cancel changes nothing";
}

TEST_F(StocktakingTest, DatabaseErrorEndsTheRunAndKeepsTheMarks) {
    t.dialogs.inputs = {QString("DOC-00123"), QString("DOC-00124")};
    scan({"DOC-00123"});
    t.dialogs.shown.clear();
    t.ctx.views.documentsView.bind(school.data() + "/ABSENT.MDB");
    scan({"DOC-00124", std::nullopt});
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_TRUE(t.dialogs.shown[0].text.startsWith("Le logiciel a rencontré l'erreur : 3024"));
    EXPECT_EQ(field("00123", "emprunté"), "I");
}

} // namespace
