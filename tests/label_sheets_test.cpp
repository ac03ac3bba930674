// Label sheets on the recording surface: the layout checks, the series and
// list rules, where labels land, how many sheets a job takes, the gauge, and
// the command page.

#include "printing/label_numbers.h"
#include "printing/label_sheets.h"
#include "test_data.h"

#include <gtest/gtest.h>

using namespace karvel;
using namespace karvel::test;

namespace {

// A4 at 600 dpi: the recording surface's printable area in pixels.
constexpr double kW = 4960;
constexpr double kH = 7015;

const QString kImpossible = "L'édition des codes-barres est impossible!\n";

// One symbol as the page shows it: its characters read left to right, the
// sheet, and the top-left corner of its first bar.
struct Label {
    int sheet;
    QString text;
    QPointF bar;
};

// The symbols of a job in drawing order. Each character is printed before
// its bars, and every label starts and ends with a star.
std::vector<Label> labelsOf(const PrintedJob& job) {
    std::vector<Label> out;
    bool open = false;
    for (const PrintedItem& item : job.items) {
        if (item.kind == PrintedItem::Kind::Text && item.text.size() == 1) {
            if (!open) {
                out.push_back({item.sheet, QString(), {-1, -1}});
                open = true;
            }
            out.back().text += item.text;
            if (item.text == "*" && out.back().text.size() > 1)
                open = false;
        } else if (item.kind == PrintedItem::Kind::Line && !out.empty() && out.back().bar.x() < 0 &&
                   item.from.x() == item.to.x()) {
            out.back().bar = item.from;
        }
    }
    return out;
}

QStringList textsOf(const std::vector<Label>& labels) {
    QStringList texts;
    for (const Label& l : labels)
        texts << l.text;
    return texts;
}

struct LabelSheets : ::testing::Test {
    TestContext t;
    std::vector<int> gauge;

    LabelSheetRequest series(const QString& start, const QString& end,
                             LabelKind kind = LabelKind::Documents) {
        return {kind, NumberChoice::Series, start, end, QString()};
    }
    LabelSheetRequest list(const QString& text, LabelKind kind = LabelKind::Documents) {
        return {kind, NumberChoice::List, QString(), QString(), text};
    }
    void print(const LabelSheetRequest& request) {
        PrintLabelSheets(t.ctx, request, [this](int p) { gauge.push_back(p); });
    }
    const std::vector<PrintedJob>& jobs() const { return t.printer.jobs(); }
    std::vector<Label> labels() const { return labelsOf(jobs().at(0)); }
    QStringList messages() const {
        QStringList texts;
        for (const ShownMessage& m : t.dialogs.shown)
            texts << m.text;
        return texts;
    }
    // Nothing was sent, nor started.
    void expectNothingPrinted() const {
        EXPECT_TRUE(jobs().empty());
        EXPECT_TRUE(t.printer.current().items.empty());
    }
};

TEST_F(LabelSheets, DefaultLayoutSeriesOfSixteenFillsOnePage) {
    t.printer.setOrientation(Orientation::Landscape); // chosen in the main window
    print(series("1", "16"));
    ASSERT_EQ(jobs().size(), 1u);
    EXPECT_EQ(jobs()[0].sheets, 1);
    EXPECT_EQ(jobs()[0].orientation, Orientation::Portrait);
    const std::vector<Label> l = labels();
    ASSERT_EQ(l.size(), 16u);
    EXPECT_EQ(l[0].text, "*DOC-00001*");
    EXPECT_EQ(l[15].text, "*DOC-00016*");
    // hu = U / (5 × 2), vu = V / (5 × 8).
    const double hu = kW / 10;
    const double vu = kH / 40;
    EXPECT_EQ(l[0].bar, QPointF(hu, vu));
    EXPECT_EQ(l[1].bar, QPointF(5 * hu + hu, vu)); // row 1, column 2
    EXPECT_EQ(l[2].bar, QPointF(hu, 5 * vu + vu)); // row 2, column 1
    EXPECT_EQ(l[15].bar, QPointF(5 * hu + hu, 7 * 5 * vu + vu));
    // Bars 3 vu tall, characters printed right under them.
    for (const PrintedItem& item : jobs()[0].items) {
        if (item.kind == PrintedItem::Kind::Line) {
            EXPECT_FLOAT_EQ(item.to.y() - item.from.y(), float(3 * vu));
            break;
        }
    }
    EXPECT_EQ(messages(),
              QStringList{"L'impression des codes-barres DOCUMENTS est lancée... Patientez"});
    EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Information);
    EXPECT_EQ(t.dialogs.shown[0].caption, "KarVel pour La V.O.K.");
    // The gauge moves after every label and goes back to 0 at the end.
    ASSERT_EQ(gauge.size(), 17u);
    EXPECT_EQ(gauge[0], 0);
    EXPECT_EQ(gauge[1], 6); // 1/15
    EXPECT_EQ(gauge[15], 100);
    EXPECT_EQ(gauge[16], 0);
}

TEST_F(LabelSheets, IncompleteLastSheetIsAskedAbout) {
    const QString question =
        "Le nombre d'étiquettes souhaité n'est pas un multiple de  16\n\n"
        "Voulez-vous quand même continuer et ne pas imprimer une feuille d'étiquettes complète?";
    t.dialogs.answers = {AnswerNo};
    print(series("1", "20"));
    EXPECT_EQ(messages(), QStringList{question});
    EXPECT_EQ(t.dialogs.shown[0].buttons, Buttons::YesNo);
    EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Question);
    EXPECT_EQ(t.ctx.answer, AnswerNo);
    expectNothingPrinted();

    t.dialogs.answers = {AnswerYes};
    print(series("1", "20"));
    EXPECT_EQ(t.ctx.answer, AnswerYes);
    ASSERT_EQ(jobs().size(), 1u);
    EXPECT_EQ(jobs()[0].sheets, 2);
    const std::vector<Label> l = labels();
    ASSERT_EQ(l.size(), 20u);
    // The second sheet holds 4 labels, in rows 1 and 2.
    const double vu = kH / 40;
    for (size_t i = 16; i < 20; ++i) {
        EXPECT_EQ(l[i].sheet, 2);
        EXPECT_EQ(l[i].bar.y(), i < 18 ? vu : 6 * vu);
    }

    // The count names rows × columns of the layout in use.
    t.dialogs.shown.clear();
    t.ctx.layout.rows = "4";
    t.ctx.layout.columns = "3";
    print(series("1", "13"));
    EXPECT_TRUE(messages().at(0).startsWith(
        "Le nombre d'étiquettes souhaité n'est pas un multiple de  12\n\n"));
}

TEST_F(LabelSheets, ExactPageCountsWithoutEmptySheet) {
    print(series("1", "32"));
    EXPECT_EQ(messages().size(), 1u); // the completion message, no question
    ASSERT_EQ(jobs().size(), 1u);
    EXPECT_EQ(jobs()[0].sheets, 2);
    EXPECT_EQ(labels().back().sheet, 2);

    // A full 6 × 12 layout: 72 labels, then 73 with the question answered Yes.
    t.ctx.layout.rows = "12";
    t.ctx.layout.columns = "6";
    t.ctx.layout.amplitude = "2";
    t.dialogs.answers = {AnswerYes}; // bars that thin, printed all the same
    print(series("101", "172"));
    EXPECT_EQ(jobs()[1].sheets, 1);
    EXPECT_EQ(labelsOf(jobs()[1]).size(), 72u);
    t.dialogs.answers = {AnswerYes, AnswerYes};
    print(series("101", "173"));
    EXPECT_EQ(jobs()[2].sheets, 2);
    EXPECT_EQ(labelsOf(jobs()[2]).back().text, "*DOC-00173*");
}

TEST_F(LabelSheets, ListRules) {
    print(list("17-35-125-412"));
    EXPECT_EQ(textsOf(labels()),
              QStringList({"*DOC-00017*", "*DOC-00035*", "*DOC-00125*", "*DOC-00412*"}));
    // No question about full sheets for a list; the gauge counts from 1.
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(gauge, (std::vector<int>{25, 50, 75, 100, 0}));

    const std::pair<QString, QStringList> rows[] = {
        {"17/35/", {"*DOC-00017*", "*DOC-00035*"}},
        {"17--35", {"*DOC-00017*", "*DOC-00000*", "*DOC-00035*"}},
        {"17 35", {"*DOC-01735*"}},
        {"  /17  ", {"*DOC-00000*", "*DOC-00017*"}},
        {"12abc-7.5-123456", {"*DOC-00012*", "*DOC-00008*", "*DOC-123456*"}},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        print(list(rows[i].first));
        ASSERT_EQ(jobs().size(), i + 2);
        EXPECT_EQ(textsOf(labelsOf(jobs().back())), rows[i].second) << rows[i].first.toStdString();
    }

    // Lists are not cut at 100 items.
    QStringList many;
    for (int i = 1; i <= 150; ++i)
        many << QString::number(i);
    print(list(many.join('/')));
    const std::vector<Label> all = labelsOf(jobs().back());
    ASSERT_EQ(all.size(), 150u);
    EXPECT_EQ(all.back().text, "*DOC-00150*");
    EXPECT_EQ(jobs().back().sheets, 10); // ceil(150 / 16)
}

TEST_F(LabelSheets, ListAndSeriesHelpers) {
    EXPECT_EQ(splitList("17-35-125-412"), QStringList({"17", "35", "125", "412"}));
    EXPECT_EQ(splitList("-17"), QStringList({"", "17"}));
    EXPECT_EQ(splitList("17-"), QStringList({"17"}));
    EXPECT_EQ(splitList("1-/2"), QStringList({"1", "", "2"}));
    EXPECT_EQ(formatLabelNumber(17), "00017");
    EXPECT_EQ(formatLabelNumber(2.5), "00003");
    EXPECT_EQ(formatLabelNumber(1234567), "1234567");
    EXPECT_EQ(decimalValue("  1 7 3 5 "), 1735);
    EXPECT_EQ(decimalValue("1.5e2x"), 150);
    EXPECT_EQ(decimalValue("12e"), 12);
    EXPECT_EQ(decimalValue("abc"), 0);
    EXPECT_EQ(decimalValue("."), 0);
}

TEST_F(LabelSheets, KindsPrefixesAndMessages) {
    const std::tuple<LabelKind, QString, QString> rows[] = {
        {LabelKind::Documents, "*DOC-00007*",
         "L'impression des codes-barres DOCUMENTS est lancée... Patientez"},
        {LabelKind::Pupils, "*ECO-00007*",
         "L'impression des codes-barres ELEVES est lancée... Patientez"},
        {LabelKind::Members, "*EXT-00007*",
         "L'impression des codes-barres ADHERENTS EXTERIEURS est lancée... Patientez"},
    };
    for (const auto& [kind, text, message] : rows) {
        t.dialogs.shown.clear();
        print(list("7", kind));
        EXPECT_EQ(labelsOf(jobs().back()).at(0).text, text);
        EXPECT_EQ(messages(), QStringList{message});
    }
    // No kind selected: nothing at all.
    t.dialogs.shown.clear();
    print({std::nullopt, NumberChoice::List, {}, {}, "7"});
    EXPECT_EQ(jobs().size(), 3u);
    EXPECT_TRUE(messages().empty());
}

// What does not fit the layout is asked about before the job, naming the
// first column or row at fault; the default layout asks nothing. Symbols are
// "*DOC-00001*": 11 characters, 16 × 11 × A − A pixels of 1/600 inch.
// A sheet already partly used is finished: the first sheet starts at the
// cell asked for, and the sheet counts as full when the labels fill it.
TEST_F(LabelSheets, FirstSheetStartsAtTheLabelAskedFor) {
    LabelSheetRequest request = series("1", "20");
    request.firstLabel = 5; // row 3, column 1 of 2 × 8
    print(request);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].startsWith("Le nombre d'étiquettes souhaité n'est pas un multiple"))
        << "4 cells left empty and 20 labels fill no whole sheet";
    EXPECT_EQ(jobs().size(), 0u);
    t.dialogs.shown.clear();

    request = series("1", "12");
    request.firstLabel = 5;
    print(request);
    ASSERT_EQ(jobs().size(), 1u);
    EXPECT_EQ(jobs()[0].sheets, 1);
    const std::vector<Label> l = labels();
    ASSERT_EQ(l.size(), 12u);
    EXPECT_EQ(l[0].bar, QPointF(kW / 10, 2 * 5 * kH / 40 + kH / 40));
    EXPECT_EQ(l[11].text, "*DOC-00012*");

    t.dialogs.shown.clear();
    request.firstLabel = 17;
    print(request);
    EXPECT_EQ(
        messages(),
        QStringList{
            kImpossible +
            "Données incorrectes : L'étiquette de départ doit être comprise entre 1 et 16, le nombre d'étiquettes d'une feuille..."});
    EXPECT_EQ(jobs().size(), 1u);
}

// The grid is laid from the sheet's edge, so that it meets the labels of the
// sheet whatever the printer cannot print; bars that would fall in those
// edges are asked about.
TEST_F(LabelSheets, GridIsLaidFromTheSheetsEdge) {
    const double mm = 600 / 25.4;
    RecordingPrinter printer(600, {210, 297}, {5, 5, 5, 5});
    AppContext ctx{t.dialogs, t.clock, t.files, printer};
    PrintLabelSheets(ctx, series("1", "16"), [](int) {});
    ASSERT_EQ(printer.jobs().size(), 1u);
    const std::vector<Label> l = labelsOf(printer.jobs()[0]);
    // Recorded from the printable area's corner, 5 mm in from the sheet's.
    EXPECT_NEAR(l[0].bar.x(), kW / 10 - 5 * mm, 1e-6);
    EXPECT_NEAR(l[0].bar.y(), kH / 40 - 5 * mm, 1e-6);

    RecordingPrinter wide(600, {210, 297}, {25.5, 5, 5, 5});
    AppContext wideCtx{t.dialogs, t.clock, t.files, wide};
    t.dialogs.shown.clear();
    PrintLabelSheets(wideCtx, series("1", "16"), [](int) {});
    EXPECT_EQ(
        messages().at(0),
        "Le code-barres de la colonne 1 tombe de 4,5 mm dans le bord de la feuille que l'imprimante ne peut pas imprimer.\n\nVoulez-vous quand même imprimer ?");
    EXPECT_TRUE(wide.jobs().empty());
}

TEST_F(LabelSheets, LayoutQuestionNamesWhatDoesNotFit) {
    const QString oui = "\n\nVoulez-vous quand même imprimer ?";
    // clang-format off
    const struct { const char* columns; const char* rows; const char* amplitude; QString question; } rows[] = {
        /* 1 */ {"2", "8", "4", ""},
        /* 2 */ {"6", "12", "3", ""},
        /* 3 */ {"6", "12", "4", "Le code-barres de la colonne 6 dépasse de 1,6 mm le bord imprimable de la feuille." + oui},
        /* 4 */ {"6", "12", "5", "Le code-barres de la colonne 1 empiète de 4,2 mm sur l'étiquette de la colonne 2 : les deux risquent d'être illisibles." + oui},
        /* 5 */ {"1", "1", "9", ""},
        /* 6 */ {"2", "8", "2,5", "Avec l'amplitude 2,5, les barres fines ne mesurent que 0,106 mm : en dessous de 0,127 mm, un lecteur de codes-barres risque de ne pas les lire." + oui},
    };
    // clang-format on
    int n = 0;
    for (const auto& row : rows) {
        ++n;
        TestContext fresh;
        fresh.ctx.layout.columns = row.columns;
        fresh.ctx.layout.rows = row.rows;
        fresh.ctx.layout.amplitude = row.amplitude;
        PrintLabelSheets(fresh.ctx, series("1", "144"), [](int) {});
        const QString first = fresh.dialogs.shown.empty() ? "" : fresh.dialogs.shown[0].text;
        if (row.question.isEmpty()) {
            EXPECT_EQ(fresh.printer.jobs().size(), 1u)
                << "row " << n << ": " << first.toStdString();
            continue;
        }
        EXPECT_EQ(first, row.question) << "row " << n;
        EXPECT_EQ(fresh.dialogs.shown[0].icon, Icon::Question);
        EXPECT_TRUE(fresh.printer.jobs().empty()) << "row " << n << ": Non prints nothing";
    }
}

TEST_F(LabelSheets, LayoutRefusals) {
    struct Row {
        QString LayoutFields::*field;
        QString value;
        QString message; // empty: accepted
    };
    // clang-format off
    const Row rows[] = {
        {&LayoutFields::amplitude, "2.5", ""},
        {&LayoutFields::amplitude, "2,5", ""},
        {&LayoutFields::amplitude, "9", ""},
        {&LayoutFields::amplitude, "10", "L'amplitude souhaitée est incorrecte - La valeur doit être comprise entre 2 et 9"},
        {&LayoutFields::amplitude, "1.9", "L'amplitude souhaitée est incorrecte - La valeur doit être comprise entre 2 et 9"},
        {&LayoutFields::columns, "0", "Le nombre de colonnes  d'étiquettes est incorrect - La valeur doit être comprise entre 1 et 6"},
        {&LayoutFields::columns, "7", "Le nombre de colonnes  d'étiquettes est incorrect - La valeur doit être comprise entre 1 et 6"},
        {&LayoutFields::columns, "1.5", "Le nombre de colonnes  d'étiquettes est incorrect - La valeur doit être comprise entre 1 et 6"},
        {&LayoutFields::rows, "13", "Le nombre de lignes d'étiquettes est incorrect - La valeur doit être comprise entre 1 et 12"},
        {&LayoutFields::rows, "0", "Le nombre de lignes d'étiquettes est incorrect - La valeur doit être comprise entre 1 et 12"},
        {&LayoutFields::amplitude, "", "La valeur de « Amplitude des codes-barres imprimés » n'est pas un nombre - Corrigez-la dans Marges et Mise en page"},
        {&LayoutFields::amplitude, "nan", "La valeur de « Amplitude des codes-barres imprimés » n'est pas un nombre - Corrigez-la dans Marges et Mise en page"},
        {&LayoutFields::topMargin, "5 mm", "La valeur de « Marge du haut » n'est pas un nombre - Corrigez-la dans Marges et Mise en page"},
        {&LayoutFields::columns, "deux", "La valeur de « Nombre de colonnes d'étiquettes par page » n'est pas un nombre - Corrigez-la dans Marges et Mise en page"},
        {&LayoutFields::sheetWidth, "0", "La largeur de la feuille est incorrecte - La valeur doit être supérieure à 0"},
        {&LayoutFields::sheetHeight, "-297", "La hauteur de la feuille est incorrecte - La valeur doit être supérieure à 0"},
        {&LayoutFields::topMargin, "-1e300", "La valeur de « Marge du haut » doit être comprise entre 0 et 1000 mm - Corrigez-la dans Marges et Mise en page"},
        {&LayoutFields::rightMargin, "-0,5", "La valeur de « Marge de droite » doit être comprise entre 0 et 1000 mm - Corrigez-la dans Marges et Mise en page"},
        {&LayoutFields::sheetWidth, "1e6", "La valeur de « Largeur de la feuille » doit être comprise entre 0 et 1000 mm - Corrigez-la dans Marges et Mise en page"},
        {&LayoutFields::leftMargin, "100", ""},
        {&LayoutFields::leftMargin, "210", "Les marges de gauche et de droite sont incorrectes - Leur somme doit être inférieure à la largeur de la feuille"},
        {&LayoutFields::bottomMargin, "300", "Les marges du haut et du bas sont incorrectes - Leur somme doit être inférieure à la hauteur de la feuille"},
    };
    // clang-format on
    for (const Row& row : rows) {
        TestContext fresh;
        fresh.ctx.layout.*row.field = row.value;
        // Thin bars (2.5) ask first whether to print them.
        fresh.dialogs.answers = {AnswerYes};
        PrintLabelSheets(fresh.ctx, series("1", "16"), [](int) {});
        if (row.message.isEmpty()) {
            EXPECT_EQ(fresh.printer.jobs().size(), 1u) << row.value.toStdString();
            continue;
        }
        ASSERT_EQ(fresh.dialogs.shown.size(), 1u) << row.value.toStdString();
        EXPECT_EQ(fresh.dialogs.shown[0].text, kImpossible + row.message);
        EXPECT_EQ(fresh.dialogs.shown[0].icon, Icon::Information);
        EXPECT_TRUE(fresh.printer.jobs().empty());
        EXPECT_TRUE(fresh.printer.current().items.empty());
    }
}

TEST_F(LabelSheets, SeriesRefusals) {
    // clang-format off
    const std::tuple<QString, QString, QString> rows[] = {
        {"", "16", "Données incomplètes : Le numéro de début de série n'a pas été indiqué..."},
        {"1", "", "Données incomplètes : Le numéro de fin de série n'a pas été indiqué..."},
        {"  ", "16", "Données incomplètes : Le numéro de début de série n'a pas été indiqué..."},
        {"0", "16", "Données incorrectes : Le numéro de début de série n'est pas valable..."},
        {"abc", "16", "Données incorrectes : Le numéro de début de série n'est pas valable..."},
        {"0", "", "Données incomplètes : Le numéro de fin de série n'a pas été indiqué..."},
        {"1", "x16", "Données incorrectes : Le numéro de fin de série n'est pas valable..."},
        {"12abc", "16", "Données incorrectes : Le numéro de début de série n'est pas valable..."},
        {"1", "16.5", "Données incorrectes : Le numéro de fin de série n'est pas valable..."},
        {"-3", "16", "Données incorrectes : Le numéro de début de série n'est pas valable..."},
        {"1", "99999999999", "Données incorrectes : Le numéro de fin de série n'est pas valable..."},
        {"17", "16", "Données incorrectes : Le numéro de fin de série est inférieur au numéro de début..."},
        {"1", "100001", "Données incorrectes : Une série ne peut pas dépasser 100000 codes-barres..."},
        {"1", "2147483647", "Données incorrectes : Une série ne peut pas dépasser 100000 codes-barres..."},
    };
    // clang-format on
    for (const auto& [start, end, message] : rows) {
        t.dialogs.shown.clear();
        print(series(start, end));
        EXPECT_EQ(messages(), QStringList{kImpossible + message}) << start.toStdString();
    }
    expectNothingPrinted();
    EXPECT_TRUE(gauge.empty());

    t.dialogs.shown.clear();
    print(list("   "));
    EXPECT_EQ(messages(), QStringList{kImpossible + "Aucune liste de codes-barres à imprimer..."});
    expectNothingPrinted();
}

TEST_F(LabelSheets, SingleLabelSeriesFillsTheGauge) {
    t.dialogs.answers = {AnswerYes};
    print(series(" 42 ", "42"));
    EXPECT_EQ(textsOf(labels()), QStringList{"*DOC-00042*"});
    EXPECT_EQ(gauge, (std::vector<int>{100, 0}));
    EXPECT_EQ(jobs()[0].sheets, 1);
}

TEST_F(LabelSheets, MarginsMoveTheGridAndStayForTheRule) {
    // 10 mm margins all round on 210 × 297: left = floor(4960 / 210 × 10).
    t.ctx.layout.topMargin = "10";
    t.ctx.layout.bottomMargin = "10";
    t.ctx.layout.leftMargin = "10";
    t.ctx.layout.rightMargin = "10";
    print(series("1", "16"));
    const double left = std::floor(kW / 210 * 10);
    const double top = std::floor(kH / 297 * 10);
    const double hu = (kW - 2 * left) / 10;
    const double vu = (kH - 2 * top) / 40;
    EXPECT_EQ(labels()[0].bar, QPointF(left + hu, top + vu));
    EXPECT_EQ(labels()[3].bar, QPointF(left + 5 * hu + hu, top + 5 * vu + vu));
    EXPECT_EQ(t.ctx.LeftMargin, left);
    EXPECT_EQ(t.ctx.RightMargin, left);
}

TEST_F(LabelSheets, CommandPage) {
    print({LabelKind::Commands, NumberChoice::Series, QString(), QString(), QString()});
    ASSERT_EQ(jobs().size(), 1u);
    const PrintedJob& job = jobs()[0];
    EXPECT_EQ(job.sheets, 1);
    const std::vector<Label> l = labelsOf(job);
    EXPECT_EQ(textsOf(l), QStringList({"*EMPRUNT*", "*RESTITUTION*", "*IMPRESSION*"}));
    const double hu = kW / 10;
    const double vu = kH / 40;
    EXPECT_EQ(l[0].bar, QPointF(6 * hu, 5 * vu));
    EXPECT_EQ(l[1].bar, QPointF(6 * hu, 15 * vu));
    EXPECT_EQ(l[2].bar, QPointF(6 * hu, 25 * vu));

    QStringList headings;
    int rules = 0;
    double lastBarBottom = 0;
    for (const PrintedItem& item : job.items) {
        if (item.kind == PrintedItem::Kind::Text && item.text.size() > 1) {
            headings << item.text;
            // Each caption comes two lines below where its symbol ended.
            if (headings.size() > 1) {
                EXPECT_DOUBLE_EQ(item.from.y(), lastBarBottom + 2 * t.printer.lineHeight());
            }
        }
        if (item.kind == PrintedItem::Kind::Line && item.from.y() == item.to.y()) {
            ++rules;
            EXPECT_EQ(item.to.x(), kW);
        }
        if (item.kind == PrintedItem::Kind::Line && item.from.x() == item.to.x()) {
            EXPECT_EQ(item.to.y() - item.from.y(), 400);
            lastBarBottom = item.to.y();
        }
    }
    EXPECT_EQ(headings, QStringList({"IMPRESSION DES CODES-BARRES DE COMMANDE",
                                     "COMMANDE D'EMPRUNT DE DOCUMENTS",
                                     "COMMANDE DE RESTITUTION DE DOCUMENTS",
                                     "COMMANDE D'IMPRESSION DE LA LISTE DES DOCUMENTS RENDUS OU "
                                     "EMPRUNTES"}));
    EXPECT_EQ(rules, 5);
    EXPECT_EQ(messages(),
              QStringList{"L'impression des codes-barres de commande est lancée... Patientez"});
    EXPECT_TRUE(gauge.empty());
}

TEST_F(LabelSheets, CommandPageStaysOnItsSheetWithFewColumnsOrRows) {
    // One column and four rows would put the symbols at 1.2 U and past V.
    t.ctx.layout.columns = "1";
    t.ctx.layout.rows = "4";
    print({LabelKind::Commands, NumberChoice::Series, QString(), QString(), QString()});
    ASSERT_EQ(jobs().size(), 1u);
    EXPECT_EQ(jobs()[0].sheets, 1);
    const std::vector<Label> l = labelsOf(jobs()[0]);
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0].bar, QPointF(6 * kW / 10, 5 * kH / 30));
    EXPECT_EQ(l[2].bar, QPointF(6 * kW / 10, 25 * kH / 30));
    for (const PrintedItem& item : jobs()[0].items) {
        EXPECT_LE(item.to.x(), kW);
        EXPECT_LE(item.to.y(), kH);
    }
}

} // namespace
