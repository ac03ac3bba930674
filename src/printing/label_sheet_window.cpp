#include "printing/label_sheet_window.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace karvel {

namespace {

SheetWindowTexts labelTexts() {
    SheetWindowTexts t;
    t.objectName = QStringLiteral("Form1");
    t.title = QStringLiteral("KarVel pour La VOK - Edition des Codes-Barres");
    t.seriesChoice = QStringLiteral("Impression des codes-barres en série");
    t.seriesChoiceTip = QStringLiteral("Impression d'une série de codes-barres");
    t.listChoice = QStringLiteral("Impression des codes-barres indiqués dans la liste ci-dessous");
    t.listChoiceTip = QStringLiteral("Impression d'une liste de codes-barres");
    t.seriesFrame = QStringLiteral("Début et fin de la série de codes-barres");
    t.startLabel = QStringLiteral("Numéro de début de la série de codes-barres");
    t.endLabel = QStringLiteral("Numéro de fin de la série de codes-barres");
    t.listFrame = QStringLiteral("Liste des codes-barres à imprimer");
    t.printButton = QStringLiteral("&Imprimer les codes-barres");
    t.printTip = QStringLiteral("Cliquez pour imprimer les codes-barres sélectionnés");
    return t;
}

} // namespace

LabelSheetWindow::LabelSheetWindow(AppContext& ctx, LayoutWindow& layoutWindow, QWidget* parent)
    : SheetWindow(ctx, layoutWindow, labelTexts(), parent) {
    auto* kinds = new QGroupBox(this);
    kinds->setObjectName(QStringLiteral("Frame1"));
    auto* column = new QVBoxLayout(kinds);
    Option1 = new QButtonGroup(this);
    auto option = [&](LabelKind kind, const char* name, const QString& caption,
                      const QString& tip) {
        auto* button = new QRadioButton(caption, kinds);
        button->setObjectName(QString::fromLatin1(name));
        button->setToolTip(tip);
        Option1->addButton(button, int(kind));
        column->addWidget(button);
        connect(button, &QRadioButton::clicked, this,
                [this, kind] { showNumberControls(kind != LabelKind::Commands); });
        return button;
    };
    Option1index0 =
        option(LabelKind::Commands, "Option1index0", QStringLiteral("Codes-barres de commande"),
               QStringLiteral("Impression : Choix des codes-barres de commande"));
    auto* commands = new QLabel(QStringLiteral("EMPRUNT - RESTITUTION - IMPRESSION"), kinds);
    commands->setObjectName(QStringLiteral("Label5"));
    commands->setIndent(24);
    column->addWidget(commands);
    Option1index2 =
        option(LabelKind::Documents, "Option1index2", QStringLiteral("Codes-barres : DOCUMENTS"),
               QStringLiteral("Impression : Choix des codes-barres de documents"));
    Option1index3 = option(
        LabelKind::Pupils, "Option1index3", QStringLiteral("Codes-barres : EMPRUNTEURS-ELEVES"),
        QStringLiteral("Impression : Choix des codes-barres d'emprunteurs-élèves"));
    Option1index4 = option(
        LabelKind::Members, "Option1index4", QStringLiteral("Codes-barres : EMPRUNTEURS-ADHERENTS"),
        QStringLiteral("Impression : Choix des codes-barres d'emprunteurs-adhérents"));
    Option1index2->setChecked(true);
    finishLayout(kinds);
}

std::optional<LabelKind> LabelSheetWindow::kind() const {
    for (QRadioButton* b : {Option1index0, Option1index2, Option1index3, Option1index4})
        if (b->isChecked())
            return LabelKind(Option1->id(b));
    return std::nullopt;
}

LabelSheetRequest LabelSheetWindow::request() const {
    LabelSheetRequest r;
    r.kind = kind();
    r.numbers = numberChoice();
    r.Text1 = Text1->text();
    r.Text2 = Text2->text();
    r.Text7 = Text7->text();
    r.firstLabel = firstLabel->value();
    return r;
}

void LabelSheetWindow::print() {
    PrintLabelSheets(ctx_, request(), gauge());
}

void LabelSheetWindow::showNumberControls(bool shown) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{seriesFrame, listFrame, Option2index0, Option2index1})
        w->setVisible(shown);
}

} // namespace karvel
