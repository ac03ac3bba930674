// Loan limits: how a limit text is read, the four limit messages, counts kept
// apart by kind of borrower, and the force question.

#include "desk/loan_limits.h"
#include "loan_desk_fixture.h"

using namespace karvel;
using namespace karvel::test;

namespace {

TEST(LoanLimits, LimitTextsAreReadByTheirLeadingDigits) {
    EXPECT_EQ(numericValue("3"), 3);
    EXPECT_EQ(numericValue(" 12 livres"), 12);
    EXPECT_EQ(numericValue("007"), 7);
    EXPECT_EQ(numericValue(""), 0);
    EXPECT_EQ(numericValue("trois"), 0);
    EXPECT_GT(numericValue("99999999999999999999"), 1'000'000'000) << "no overflow";
}

using LoanLimitsTest = LoanDeskTest;

TEST_F(LoanLimitsTest, CountsAgainstTheLimitOfEachKind) {
    // Pupil 00042 holds one document; member 00007 holds one; member 00042 none.
    const auto passes = [&](const QString& pupils, const QString& members, const QString& kind,
                            const QString& number) {
        t.ctx.loanLimits.pupilLimit = pupils;
        t.ctx.loanLimits.memberLimit = members;
        return PassesLoanLimit(t.ctx, kind, number);
    };
    EXPECT_TRUE(passes("2", "0", "école", "00042"));
    EXPECT_TRUE(passes("0", "0", "extérieur", "00042"));
    EXPECT_TRUE(passes("", "", "extérieur", "00042")) << "holding none, even an empty limit";
    EXPECT_TRUE(texts().isEmpty());

    EXPECT_FALSE(passes("1", "0", "école", "00042"));
    EXPECT_EQ(texts(),
              QStringList({"L'élève a déjà emprunté un livre...\n\nIl doit le rendre pour pouvoir "
                           "en emprunter un nouveau !",
                           "Voulez-vous forcer cet emprunt ?", "L'emprunt n'a pas été forcé..."}));
    EXPECT_FALSE(passes("0", "", "extérieur", "00007")) << "an empty limit counts as 0";
    EXPECT_EQ(texts().value(0).left(46), "L'adhérent extérieur a déjà emprunté un livre.");

    // "0" is no limit: not even the catalogue is read.
    t.ctx.dataFolder = school.root() + "/ABSENT";
    EXPECT_TRUE(passes("0", "0", "école", "00042"));
    EXPECT_THROW(passes("5", "0", "école", "00042"), KarvelError);
}

TEST_F(LoanLimitsTest, MessagesAndTheForceQuestion) {
    EXPECT_EQ(limitMessage("école", 3), "L'élève a déjà emprunté 3 livres...\n\nIl doit en rendre "
                                        "UN pour pouvoir en emprunter un nouveau !");
    EXPECT_EQ(limitMessage("extérieur", 12),
              "L'adhérent extérieur a déjà emprunté 12 livres...\n\nL'adhérent extérieur doit en "
              "rendre UN pour pouvoir en emprunter un nouveau !");

    t.ctx.loanLimits.pupilLimit = "1";
    t.dialogs.answers = {AnswerOk, AnswerYes};
    EXPECT_TRUE(PassesLoanLimit(t.ctx, "école", "00042"));
    EXPECT_EQ(t.ctx.desk.ForceLoan, 1);
    EXPECT_EQ(t.ctx.answer, AnswerYes);
    ASSERT_EQ(t.dialogs.shown.size(), 2u);
    for (const ShownMessage& m : t.dialogs.shown) {
        EXPECT_EQ(m.icon, Icon::Question);
        EXPECT_EQ(m.caption, "KarVel pour La V.O.K.");
    }
    EXPECT_EQ(t.dialogs.shown[0].buttons, Buttons::Ok);
    EXPECT_EQ(t.dialogs.shown[1].buttons, Buttons::YesNo);

    t.dialogs.answers = {AnswerNo};
    AskForceLoan(t.ctx);
    EXPECT_EQ(t.ctx.desk.ForceLoan, 0);
    EXPECT_EQ(t.ctx.answer, AnswerNo);
}

} // namespace
