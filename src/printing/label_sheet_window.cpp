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
    labelKind = new QButtonGroup(this);
    auto option = [&](LabelKind kind, const char* name, const QString& caption,
                      const QString& tip) {
        auto* button = new QRadioButton(caption, kinds);
        button->setObjectName(QString::fromLatin1(name));
        button->setToolTip(tip);
        labelKind->addButton(button, int(kind));
        column->addWidget(button);
        connect(button, &QRadioButton::clicked, this,
                [this, kind] { showNumberControls(kind != LabelKind::Commands); });
        return button;
    };
    commandsOption =
        option(LabelKind::Commands, "Option1index0", QStringLiteral("Codes-barres de commande"),
               QStringLiteral("Impression : Choix des codes-barres de commande"));
    auto* commands = new QLabel(QStringLiteral("EMPRUNT - RESTITUTION - IMPRESSION"), kinds);
    commands->setObjectName(QStringLiteral("Label5"));
    commands->setIndent(24);
    column->addWidget(commands);
    documentsOption =
        option(LabelKind::Documents, "Option1index2", QStringLiteral("Codes-barres : DOCUMENTS"),
               QStringLiteral("Impression : Choix des codes-barres de documents"));
    pupilsOption = option(
        LabelKind::Pupils, "Option1index3", QStringLiteral("Codes-barres : EMPRUNTEURS-ELEVES"),
        QStringLiteral("Impression : Choix des codes-barres d'emprunteurs-élèves"));
    membersOption = option(
        LabelKind::Members, "Option1index4", QStringLiteral("Codes-barres : EMPRUNTEURS-ADHERENTS"),
        QStringLiteral("Impression : Choix des codes-barres d'emprunteurs-adhérents"));
    documentsOption->setChecked(true);
    finishLayout(kinds);
}

std::optional<LabelKind> LabelSheetWindow::kind() const {
    for (QRadioButton* b : {commandsOption, documentsOption, pupilsOption, membersOption})
        if (b->isChecked())
            return LabelKind(labelKind->id(b));
    return std::nullopt;
}

LabelSheetRequest LabelSheetWindow::request() const {
    LabelSheetRequest r;
    r.kind = kind();
    r.numbers = numberChoice();
    r.seriesStart = seriesStartField->text();
    r.seriesEnd = seriesEndField->text();
    r.numberList = listField->text();
    r.firstLabel = firstLabel->value();
    return r;
}

void LabelSheetWindow::print() {
    PrintLabelSheets(ctx_, request(), gauge());
}

void LabelSheetWindow::showNumberControls(bool shown) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{seriesFrame, listFrame, seriesOption, listOption})
        w->setVisible(shown);
}

} // namespace karvel
