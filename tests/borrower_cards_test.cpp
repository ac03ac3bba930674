// Borrower cards on the recording surface, with names looked up in a real
// school folder: the card cell, its fonts, the name line, the refusals and
// the count question.

#include "printing/borrower_cards.h"
#include "test_data.h"

#include <gtest/gtest.h>

using namespace karvel;
using namespace karvel::test;

namespace {

constexpr double kW = 4960;
constexpr double kH = 7015;

const QString kCardsImpossible = "L'édition des cartes d'emprunteurs est impossible!\n";

struct Card {
    int sheet = 0;
    QPointF title;
    double titleSize = 0;
    bool titleBold = false;
    QString symbol;
    QPointF bar;
    double barHeight = 0;
    double characterSize = 0;
    double characterTop = 0;
    QString name;
    QPointF namePosition;
    double nameSize = 0;
    bool nameBold = true;
};

// A card starts with its title; its characters are one letter each; the
// name line is the text that follows them.
std::vector<Card> cardsOf(const PrintedJob& job) {
    std::vector<Card> cards;
    for (const PrintedItem& item : job.items) {
        if (item.kind == PrintedItem::Kind::Text && item.text == "CARTE D'EMPRUNTEUR") {
            Card c;
            c.sheet = item.sheet;
            c.title = item.from;
            c.titleSize = item.fontSize;
            c.titleBold = item.bold && !item.italic;
            cards.push_back(c);
        } else if (cards.empty()) {
            continue;
        } else if (item.kind == PrintedItem::Kind::Text && item.text.size() == 1) {
            cards.back().symbol += item.text;
            cards.back().characterSize = item.fontSize;
            cards.back().characterTop = item.from.y();
        } else if (item.kind == PrintedItem::Kind::Text) {
            cards.back().name = item.text;
            cards.back().namePosition = item.from;
            cards.back().nameSize = item.fontSize;
            cards.back().nameBold = item.bold || item.italic;
        } else if (cards.back().barHeight == 0) {
            cards.back().bar = item.from;
            cards.back().barHeight = item.to.y() - item.from.y();
        }
    }
    return cards;
}

struct BorrowerCards : ::testing::Test {
    SchoolFolder school;
    TestContext t;
    std::vector<int> gauge;

    BorrowerCards() {
        t.ctx.dataFolder = school.data();
        t.ctx.pupilsFolder = school.pupils();
        t.ctx.views.membersView.bind(school.members());
        SchoolFolder::insert(
            school.pupilsFile(), "enfants",
            {{{"matricule", "00018"}, {"nomenfant", "MARTIN"}, {"prénomenfant", "Léa"}},
             {{"matricule", "00019"}, {"nomenfant", "DURAND"}, {"prénomenfant", "Hugo"}}});
        SchoolFolder::insert(school.members(), "membres",
                             {{{"matricule", "00003"}, {"nom", "PETIT"}, {"prénom", "Anne"}}});
    }
    CardRequest series(const QString& start, const QString& end, CardKind kind = CardKind::Pupils) {
        return {kind, NumberChoice::Series, start, end, QString(), true};
    }
    CardRequest list(const QString& text, CardKind kind = CardKind::Pupils) {
        return {kind, NumberChoice::List, QString(), QString(), text, true};
    }
    void print(const CardRequest& request) {
        PrintBorrowerCards(t.ctx, request, [this](int p) { gauge.push_back(p); });
    }
    std::vector<Card> cards() const { return cardsOf(t.printer.jobs().back()); }
    QStringList messages() const {
        QStringList texts;
        for (const ShownMessage& m : t.dialogs.shown)
            texts << m.text;
        return texts;
    }
};

TEST_F(BorrowerCards, CellFontsAndNames) {
    print(list("17-18-19"));
    ASSERT_EQ(t.printer.jobs().size(), 1u);
    const std::vector<Card> c = cards();
    ASSERT_EQ(c.size(), 3u);
    // A cell is half the usable width and an eighth of its height, cut in tenths.
    const double hu = kW / 20;
    const double vu = kH / 80;
    EXPECT_EQ(c[0].title, QPointF(hu, 0));
    EXPECT_EQ(c[1].title, QPointF(10 * hu + hu, 0));
    EXPECT_EQ(c[2].title, QPointF(hu, 10 * vu));
    for (const Card& card : c) {
        EXPECT_EQ(card.titleSize, 16);
        EXPECT_TRUE(card.titleBold);
        EXPECT_EQ(card.characterSize, 11);
        EXPECT_EQ(card.nameSize, 11);
        EXPECT_FALSE(card.nameBold);
        EXPECT_EQ(card.bar.x(), card.title.x());
        EXPECT_EQ(card.bar.y(), card.title.y() + 2 * vu);
        EXPECT_FLOAT_EQ(card.barHeight, float(3 * vu));
        EXPECT_FLOAT_EQ(card.characterTop, float(card.title.y() + 5 * vu));
        EXPECT_EQ(card.namePosition, QPointF(card.title.x(), card.title.y() + 7 * vu));
    }
    EXPECT_EQ(c[0].symbol, "*ECO-00017*");
    EXPECT_EQ(c[0].name, "NOM :"); // not in the pupils file
    EXPECT_EQ(c[1].name, "NOM : Léa MARTIN");
    EXPECT_EQ(c[2].name, "NOM : Hugo DURAND");
    EXPECT_EQ(messages(),
              QStringList{"L'impression des cartes d'emprunteurs ELEVES est lancée... Patientez"});
    EXPECT_EQ(gauge, (std::vector<int>{33, 66, 100, 0}));
    // The page is left plain for the next job.
    EXPECT_EQ(t.printer.fontSize(), 11);
    EXPECT_FALSE(t.printer.font().bold());
}

TEST_F(BorrowerCards, ExternalMembers) {
    print(list("3/4", CardKind::Members));
    const std::vector<Card> c = cards();
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[0].symbol, "*EXT-00003*");
    EXPECT_EQ(c[0].name, "NOM : Anne PETIT");
    EXPECT_EQ(c[1].name, "NOM :");
    EXPECT_EQ(
        messages(),
        QStringList{"L'impression des cartes d'emprunteurs ADHERENTS EXTERIEURS est lancée... "
                    "Patientez"});
}

TEST_F(BorrowerCards, UntickedMakesNoQuery) {
    // With the pupils folder gone any query would fail and say so.
    t.ctx.pupilsFolder = school.root() + "/AILLEURS";
    CardRequest request = series("17", "32");
    request.lookUpNames = false;
    print(request);
    const std::vector<Card> c = cards();
    ASSERT_EQ(c.size(), 16u);
    for (const Card& card : c)
        EXPECT_EQ(card.name, "NOM :");
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_TRUE(t.ctx.views.pupilsView.path().isEmpty());
}

TEST_F(BorrowerCards, FailedLookupIsReportedOnceAndCardsStillPrint) {
    t.ctx.pupilsFolder = school.root() + "/AILLEURS";
    print(list("18-19-20"));
    const std::vector<Card> c = cards();
    ASSERT_EQ(c.size(), 3u);
    for (const Card& card : c)
        EXPECT_EQ(card.name, "NOM :");
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_TRUE(messages()[0].startsWith("Le logiciel a rencontré l'erreur : "));
    EXPECT_TRUE(messages()[1].startsWith("L'impression des cartes d'emprunteurs ELEVES"));
}

TEST_F(BorrowerCards, CountQuestionNamesTheLayout) {
    const QString question =
        "Le nombre de cartes d'emprunteurs souhaité n'est pas un multiple de 16.\n\n"
        "Voulez-vous quand même continuer et ne pas imprimer une feuille d'étiquettes complète?";
    print(series("1", "8"));
    EXPECT_EQ(messages(), QStringList{question});
    EXPECT_EQ(t.dialogs.shown[0].buttons, Buttons::YesNo);
    EXPECT_EQ(t.ctx.answer, AnswerNo);
    EXPECT_TRUE(t.printer.jobs().empty());

    t.dialogs.shown.clear();
    print(series("1", "16"));
    EXPECT_EQ(messages().size(), 1u); // only the completion message
    EXPECT_EQ(t.printer.jobs().back().sheets, 1);

    t.dialogs.shown.clear();
    t.ctx.layout.rows = "3";
    t.ctx.layout.columns = "3";
    t.dialogs.answers = {AnswerYes, AnswerYes};
    print(series("1", "10"));
    EXPECT_TRUE(messages().at(0).startsWith(
        "Le nombre de cartes d'emprunteurs souhaité n'est pas un multiple de 9.\n\n"));
    EXPECT_TRUE(messages().at(1).startsWith("Le titre des cartes de la colonne 1 empiète de "))
        << messages().at(1).toStdString();
    EXPECT_EQ(t.printer.jobs().back().sheets, 2);
    EXPECT_EQ(cards().back().sheet, 2);
}

TEST_F(BorrowerCards, Refusals) {
    // clang-format off
    const std::pair<CardRequest, QString> rows[] = {
        {series("", "5"), kCardsImpossible + "Données incomplètes : Le numéro de début de série n'a pas été indiqué..."},
        {series("5", ""), kCardsImpossible + "Données incomplètes : Le numéro de fin de série n'a pas été indiqué..."},
        {series("0", "5"), kCardsImpossible + "Données incorrectes : Le numéro de début de série n'est pas valable..."},
        {series("5", "zéro"), kCardsImpossible + "Données incorrectes : Le numéro de fin de série n'est pas valable..."},
        {series("20", "5"), kCardsImpossible + "Données incorrectes : Le numéro de fin de série est inférieur au numéro de début..."},
        {list(" "), kCardsImpossible + "Aucune liste de cartes d'emprunteurs à imprimer..."},
    };
    // clang-format on
    for (const auto& [request, message] : rows) {
        t.dialogs.shown.clear();
        print(request);
        EXPECT_EQ(messages(), QStringList{message});
        EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Information);
    }
    EXPECT_TRUE(t.printer.jobs().empty());
    EXPECT_TRUE(t.printer.current().items.empty());

    // The layout is refused with the label sheets' first line.
    t.dialogs.shown.clear();
    t.ctx.layout.amplitude = "1";
    print(series("1", "16"));
    EXPECT_EQ(messages(), QStringList{"L'édition des codes-barres est impossible!\nL'amplitude "
                                      "souhaitée est incorrecte - La valeur doit être comprise "
                                      "entre 2 et 9"});
}

TEST_F(BorrowerCards, NoKindChecksTheLayoutAndPrintsNothing) {
    print({std::nullopt, NumberChoice::Series, "1", "16", QString(), true});
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(t.printer.jobs().empty());
    EXPECT_EQ(t.printer.unit(), PrinterUnit::Pixels);

    t.ctx.layout.columns = "9";
    print({std::nullopt, NumberChoice::Series, "1", "16", QString(), true});
    EXPECT_EQ(messages().size(), 1u);
}

TEST_F(BorrowerCards, SingleCardSeries) {
    t.dialogs.answers = {AnswerYes};
    print(series("19", "19"));
    ASSERT_EQ(cards().size(), 1u);
    EXPECT_EQ(cards()[0].name, "NOM : Hugo DURAND");
    EXPECT_EQ(gauge, (std::vector<int>{100, 0}));
}

} // namespace
