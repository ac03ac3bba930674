#include "printing/card_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace karvel {

namespace {

SheetWindowTexts cardTexts() {
    SheetWindowTexts t;
    t.objectName = QStringLiteral("Form7");
    t.title = QStringLiteral("KarVel pour La VOK - Edition des Cartes d'Emprunteurs");
    t.seriesChoice = QStringLiteral("Impression des cartes d'emprunteurs en série");
    t.listChoice = QStringLiteral("Impression des cartes indiquées dans la liste ci-dessous");
    t.seriesFrame = QStringLiteral("Début et fin de la série de cartes d'emprunteurs");
    t.startLabel = QStringLiteral("Numéro de début de la série de cartes");
    t.endLabel = QStringLiteral("Numéro de fin de la série de cartes");
    t.listFrame = QStringLiteral("Liste des cartes d'emprunteurs à imprimer");
    t.printButton = QStringLiteral("&Imprimer les cartes d'emprunteurs");
    return t;
}

} // namespace

CardWindow::CardWindow(AppContext& ctx, LayoutWindow& layoutWindow, QWidget* parent)
    : SheetWindow(ctx, layoutWindow, cardTexts(), parent) {
    auto* top = new QWidget(this);
    auto* column = new QVBoxLayout(top);
    column->setContentsMargins(0, 0, 0, 0);
    auto* kinds = new QGroupBox(QStringLiteral("Type de cartes d'emprunteurs"), top);
    kinds->setObjectName(QStringLiteral("Frame1"));
    auto* kindColumn = new QVBoxLayout(kinds);
    pupilsOption = new QRadioButton(QStringLiteral("CARTES D'EMPRUNTEURS-ELEVES"), kinds);
    pupilsOption->setObjectName(QStringLiteral("Option1index3"));
    membersOption = new QRadioButton(QStringLiteral("CARTES D'EMPRUNTEURS-ADHERENTS"), kinds);
    membersOption->setObjectName(QStringLiteral("Option1index4"));
    auto* option1 = new QButtonGroup(this);
    option1->addButton(pupilsOption, int(CardKind::Pupils));
    option1->addButton(membersOption, int(CardKind::Members));
    kindColumn->addWidget(pupilsOption);
    kindColumn->addWidget(membersOption);
    column->addWidget(kinds);

    lookUpNamesBox = new QCheckBox(
        QStringLiteral(
            "Impression des NOM et PRENOM sous le code-barre quand ceux-ci sont connus."),
        top);
    lookUpNamesBox->setObjectName(QStringLiteral("Check1"));
    lookUpNamesBox->setChecked(true);
    column->addWidget(lookUpNamesBox);
    finishLayout(top);
}

CardRequest CardWindow::request() const {
    CardRequest r;
    if (pupilsOption->isChecked())
        r.kind = CardKind::Pupils;
    else if (membersOption->isChecked())
        r.kind = CardKind::Members;
    r.numbers = numberChoice();
    r.seriesStart = seriesStartField->text();
    r.seriesEnd = seriesEndField->text();
    r.numberList = listField->text();
    r.lookUpNames = lookUpNamesBox->isChecked();
    r.firstLabel = firstLabel->value();
    return r;
}

void CardWindow::print() {
    PrintBorrowerCards(ctx_, request(), gauge());
}

} // namespace karvel
