#include "printing/layout_settings.h"

#include "common/text.h"
#include "data/settings.h"
#include "desk/app_context.h"

#include <QLocale>
#include <array>
#include <cmath>

namespace karvel {

namespace {

struct NumberField {
    QString LayoutFields::*field;
    // Shown when the field is not a number: it names the field as the window labels it.
    QString notANumber;
    // For a length: shown when it is no length a sheet can have.
    QString notALength;
};

// A margin or a side of a sheet lies between none and a metre: beyond that a
// typing slip ("-1e300") would print pages of nothing.
constexpr double kLongestSheetMm = 1000;
// The first fields are the four margins, then the sheet's width and height.
constexpr size_t kMarginFields = 4;
constexpr size_t kLengthFields = 6;

// clang-format off
const std::array<NumberField, 9> kNumberFields = {{
    {&LayoutFields::topMargin, QStringLiteral("La valeur de « Marge du haut » n'est pas un nombre - Corrigez-la dans Marges et Mise en page"),
     QStringLiteral("La valeur de « Marge du haut » doit être comprise entre 0 et 1000 mm - Corrigez-la dans Marges et Mise en page")},
    {&LayoutFields::bottomMargin, QStringLiteral("La valeur de « Marge du bas » n'est pas un nombre - Corrigez-la dans Marges et Mise en page"),
     QStringLiteral("La valeur de « Marge du bas » doit être comprise entre 0 et 1000 mm - Corrigez-la dans Marges et Mise en page")},
    {&LayoutFields::leftMargin, QStringLiteral("La valeur de « Marge de gauche » n'est pas un nombre - Corrigez-la dans Marges et Mise en page"),
     QStringLiteral("La valeur de « Marge de gauche » doit être comprise entre 0 et 1000 mm - Corrigez-la dans Marges et Mise en page")},
    {&LayoutFields::rightMargin, QStringLiteral("La valeur de « Marge de droite » n'est pas un nombre - Corrigez-la dans Marges et Mise en page"),
     QStringLiteral("La valeur de « Marge de droite » doit être comprise entre 0 et 1000 mm - Corrigez-la dans Marges et Mise en page")},
    {&LayoutFields::sheetWidth, QStringLiteral("La valeur de « Largeur de la feuille » n'est pas un nombre - Corrigez-la dans Marges et Mise en page"),
     QStringLiteral("La valeur de « Largeur de la feuille » doit être comprise entre 0 et 1000 mm - Corrigez-la dans Marges et Mise en page")},
    {&LayoutFields::sheetHeight, QStringLiteral("La valeur de « Hauteur de la feuille » n'est pas un nombre - Corrigez-la dans Marges et Mise en page"),
     QStringLiteral("La valeur de « Hauteur de la feuille » doit être comprise entre 0 et 1000 mm - Corrigez-la dans Marges et Mise en page")},
    {&LayoutFields::amplitude, QStringLiteral("La valeur de « Amplitude des codes-barres imprimés » n'est pas un nombre - Corrigez-la dans Marges et Mise en page"), {}},
    {&LayoutFields::columns, QStringLiteral("La valeur de « Nombre de colonnes d'étiquettes par page » n'est pas un nombre - Corrigez-la dans Marges et Mise en page"), {}},
    {&LayoutFields::rows, QStringLiteral("La valeur de « Nombre de lignes d'étiquettes par page » n'est pas un nombre - Corrigez-la dans Marges et Mise en page"), {}},
}};
// clang-format on

// clang-format off
const QString kAmplitudeMessage = QStringLiteral("L'amplitude souhaitée est incorrecte - La valeur doit être comprise entre 2 et 9");
const QString kColumnsMessage = QStringLiteral("Le nombre de colonnes  d'étiquettes est incorrect - La valeur doit être comprise entre 1 et 6");
const QString kRowsMessage = QStringLiteral("Le nombre de lignes d'étiquettes est incorrect - La valeur doit être comprise entre 1 et 12");
const QString kWidthMessage = QStringLiteral("La largeur de la feuille est incorrecte - La valeur doit être supérieure à 0");
const QString kHeightMessage = QStringLiteral("La hauteur de la feuille est incorrecte - La valeur doit être supérieure à 0");
const QString kSideMarginsMessage = QStringLiteral("Les marges de gauche et de droite sont incorrectes - Leur somme doit être inférieure à la largeur de la feuille");
const QString kTopBottomMarginsMessage = QStringLiteral("Les marges du haut et du bas sont incorrectes - Leur somme doit être inférieure à la hauteur de la feuille");
const QString kDefaultsQuestion = QStringLiteral("Voulez-vous reprendre les valeurs par défaut proposées par le logiciel?");
const QString kEmptyFieldMessage = QStringLiteral("Paramétrage incorrect... Les anciennes valeurs sont récupérées comme paramètres.");
// clang-format on

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isNumberBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
           c == QLatin1Char('\r');
}

// A whole number of labels: 2.0 is 2, 2.5 is no count at all.
bool isWhole(double value) {
    return value == std::floor(value);
}

} // namespace

std::optional<double> parseNumber(const QString& text) {
    QString number = text.trimmed();
    // The settings come from French Windows machines as well as from here.
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    // The C locale also reads "inf" and "nan", which are no layout at all.
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double decimalValue(const QString& text) {
    QString number;
    enum { Sign, Whole, Fraction, ExponentSign, Exponent } state = Sign;
    qsizetype exponentStart = -1;
    for (QChar c : text) {
        if (isNumberBlank(c))
            continue;
        if (state == Sign && (c == QLatin1Char('+') || c == QLatin1Char('-'))) {
            number += c;
            state = Whole;
        } else if (isDigit(c) && state != ExponentSign) {
            number += c;
            if (state == Sign)
                state = Whole;
        } else if (isDigit(c)) {
            number += c;
            state = Exponent;
        } else if (c == QLatin1Char('.') && (state == Sign || state == Whole)) {
            number += c;
            state = Fraction;
        } else if ((c == QLatin1Char('E') || c == QLatin1Char('e') || c == QLatin1Char('D') ||
                    c == QLatin1Char('d')) &&
                   (state == Whole || state == Fraction) && exponentStart < 0) {
            exponentStart = number.size();
            number += QLatin1Char('e');
            state = ExponentSign;
        } else if (state == ExponentSign && number.size() == exponentStart + 1 &&
                   (c == QLatin1Char('+') || c == QLatin1Char('-'))) {
            number += c;
        } else {
            break;
        }
    }
    // An exponent without digits is no exponent: "12e" is 12.
    if (exponentStart >= 0 && state != Exponent)
        number.truncate(exponentStart);
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    return ok && std::isfinite(value) ? value : 0;
}

std::variant<LayoutSettings, QString> readLayoutSettings(const LayoutFields& fields) {
    std::array<double, 9> values{};
    for (size_t i = 0; i < kNumberFields.size(); ++i) {
        const std::optional<double> value = parseNumber(fields.*(kNumberFields[i].field));
        if (!value)
            return kNumberFields[i].notANumber;
        values[i] = *value;
        if (i >= kLengthFields)
            continue;
        // A sheet of no size has its own message below.
        const bool margin = i < kMarginFields;
        if (*value > kLongestSheetMm || (margin && *value < 0))
            return kNumberFields[i].notALength;
    }
    LayoutSettings s;
    s.top = values[0];
    s.bottom = values[1];
    s.left = values[2];
    s.right = values[3];
    s.width = values[4];
    s.height = values[5];
    s.amplitude = values[6];
    const double columns = values[7];
    const double rows = values[8];

    if (s.amplitude < 2 || s.amplitude > 9)
        return kAmplitudeMessage;
    if (columns < 1 || columns > 6 || !isWhole(columns))
        return kColumnsMessage;
    if (rows < 1 || rows > 12 || !isWhole(rows))
        return kRowsMessage;
    s.columns = int(columns);
    s.rows = int(rows);

    // The pixel grid divides by the sheet's size and must keep some room
    // inside the margins, or every label would land off the page.
    if (s.width <= 0)
        return kWidthMessage;
    if (s.height <= 0)
        return kHeightMessage;
    if (s.left + s.right >= s.width)
        return kSideMarginsMessage;
    if (s.top + s.bottom >= s.height)
        return kTopBottomMarginsMessage;
    return s;
}

bool hasEmptyMillimetreField(const LayoutFields& fields) {
    for (const QString* text : {&fields.topMargin, &fields.bottomMargin, &fields.leftMargin,
                                &fields.rightMargin, &fields.sheetWidth, &fields.sheetHeight})
        if (text->trimmed().isEmpty())
            return true;
    return false;
}

void OfferDefaultLayout(AppContext& ctx) {
    ctx.answer =
        ctx.dialogs.message(Icon::Question, kProgramCaption, kDefaultsQuestion, Buttons::YesNo);
    if (ctx.answer == AnswerYes)
        ctx.layout = LayoutFields{};
}

bool SaveLayout(AppContext& ctx) {
    if (hasEmptyMillimetreField(ctx.layout)) {
        ctx.dialogs.message(Icon::Information, kProgramCaption, kEmptyFieldMessage);
        LoadSettings(ctx);
        return false;
    }
    // A failure is reported by SaveSettings itself; the window hides all the same.
    SaveSettings(ctx);
    return true;
}

} // namespace karvel
