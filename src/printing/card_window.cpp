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
    Option1index3 = new QRadioButton(QStringLiteral("CARTES D'EMPRUNTEURS-ELEVES"), kinds);
    Option1index3->setObjectName(QStringLiteral("Option1index3"));
    Option1index4 = new QRadioButton(QStringLiteral("CARTES D'EMPRUNTEURS-ADHERENTS"), kinds);
    Option1index4->setObjectName(QStringLiteral("Option1index4"));
    auto* option1 = new QButtonGroup(this);
    option1->addButton(Option1index3, int(CardKind::Pupils));
    option1->addButton(Option1index4, int(CardKind::Members));
    kindColumn->addWidget(Option1index3);
    kindColumn->addWidget(Option1index4);
    column->addWidget(kinds);

    Check1 = new QCheckBox(
        QStringLiteral(
            "Impression des NOM et PRENOM sous le code-barre quand ceux-ci sont connus."),
        top);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setChecked(true);
    column->addWidget(Check1);
    finishLayout(top);
}

CardRequest CardWindow::request() const {
    CardRequest r;
    if (Option1index3->isChecked())
        r.kind = CardKind::Pupils;
    else if (Option1index4->isChecked())
        r.kind = CardKind::Members;
    r.numbers = numberChoice();
    r.Text1 = Text1->text();
    r.Text2 = Text2->text();
    r.Text7 = Text7->text();
    r.Check1 = Check1->isChecked();
    r.firstLabel = firstLabel->value();
    return r;
}

void CardWindow::print() {
    PrintBorrowerCards(ctx_, request(), gauge());
}

} // namespace karvel
