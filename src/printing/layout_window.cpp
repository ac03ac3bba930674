#include "printing/layout_window.h"

#include "desk/app_context.h"
#include "platform/centre_window.h"
#include "printing/layout_settings.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace karvel {

namespace {

// Each field with the value of ctx.layout it stands for.
struct Binding {
    QLineEdit* field;
    QString LayoutFields::*value;
};

} // namespace

LayoutWindow::LayoutWindow(AppContext& ctx, QWidget* parent)
    : QWidget(parent, Qt::Window), ctx_(ctx) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("KarVel - Réglages des marges et Mise en page"));

    int labels = 0;
    auto frame = [this](const char* name, const QString& caption) {
        auto* box = new QGroupBox(caption, this);
        box->setObjectName(QString::fromLatin1(name));
        return box;
    };
    auto label = [&](QWidget* owner, const QString& text) {
        auto* l = new QLabel(text, owner);
        l->setObjectName(QStringLiteral("Label%1").arg(++labels));
        return l;
    };
    auto field = [this](QWidget* owner, const char* name, QString LayoutFields::*value) {
        auto* edit = new QLineEdit(owner);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setMaximumWidth(80);
        // Bound both ways: what is typed is the setting the next job reads.
        connect(edit, &QLineEdit::textEdited, this,
                [this, value](const QString& text) { ctx_.layout.*value = text; });
        return edit;
    };
    auto row = [&](QFormLayout* form, QWidget* owner, const QString& caption, QLineEdit* edit,
                   const QString& hint = {}) {
        QWidget* right = edit;
        if (!hint.isEmpty()) {
            right = new QWidget(owner);
            auto* line = new QHBoxLayout(right);
            line->setContentsMargins(0, 0, 0, 0);
            edit->setParent(right);
            line->addWidget(edit);
            line->addWidget(label(right, hint));
            line->addStretch();
        }
        form->addRow(label(owner, caption), right);
    };

    QGroupBox* margins = frame("Frame1", QStringLiteral("Marges d'impression (en millimètres)"));
    auto* marginsForm = new QFormLayout(margins);
    topMarginField = field(margins, "Text1", &LayoutFields::topMargin);
    bottomMarginField = field(margins, "Text2", &LayoutFields::bottomMargin);
    leftMarginField = field(margins, "Text3", &LayoutFields::leftMargin);
    rightMarginField = field(margins, "Text4", &LayoutFields::rightMargin);
    row(marginsForm, margins, QStringLiteral("Marge du haut"), topMarginField);
    row(marginsForm, margins, QStringLiteral("Marge du bas"), bottomMarginField);
    row(marginsForm, margins, QStringLiteral("Marge de gauche"), leftMarginField);
    row(marginsForm, margins, QStringLiteral("Marge de droite"), rightMarginField);

    QGroupBox* sheet =
        frame("Frame2", QStringLiteral("Dimensions physiques de la feuille (en millimètres)"));
    auto* sheetForm = new QFormLayout(sheet);
    sheetWidthField = field(sheet, "Text5", &LayoutFields::sheetWidth);
    sheetHeightField = field(sheet, "Text6", &LayoutFields::sheetHeight);
    row(sheetForm, sheet, QStringLiteral("Largeur de la feuille"), sheetWidthField,
        QStringLiteral("= 210 en A4"));
    row(sheetForm, sheet, QStringLiteral("Hauteur de la feuille"), sheetHeightField,
        QStringLiteral("= 297 en A4"));

    QGroupBox* grid = frame("Frame3", QStringLiteral("Données de mise en page"));
    auto* gridForm = new QFormLayout(grid);
    columnsField = field(grid, "Text9", &LayoutFields::columns);
    rowsField = field(grid, "Text8", &LayoutFields::rows);
    row(gridForm, grid, QStringLiteral("Nombre de colonnes d'étiquettes par page"), columnsField);
    row(gridForm, grid, QStringLiteral("Nombre de lignes d'étiquettes par page"), rowsField);

    QGroupBox* amplitude = frame("Frame4", QString());
    auto* amplitudeForm = new QFormLayout(amplitude);
    amplitudeField = field(amplitude, "Text7", &LayoutFields::amplitude);
    row(amplitudeForm, amplitude, QStringLiteral("Amplitude des codes-barres imprimés"),
        amplitudeField);

    defaultsButton = new QPushButton(QStringLiteral("&Valeurs par défaut"), this);
    defaultsButton->setObjectName(QStringLiteral("SSCommand1"));
    defaultsButton->setToolTip(
        QStringLiteral("Cliquez pour revenir aux valeurs par défaut du logiciel KarVel"));
    connect(defaultsButton, &QPushButton::clicked, this, &LayoutWindow::offerDefaults);
    saveAndQuitButton = new QPushButton(QStringLiteral("Sauvegarder et &Quitter"), this);
    saveAndQuitButton->setObjectName(QStringLiteral("SSCommand2"));
    saveAndQuitButton->setToolTip(QStringLiteral("Cliquez pour sauvegarder et quitter"));
    connect(saveAndQuitButton, &QPushButton::clicked, this, &LayoutWindow::saveAndQuit);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(defaultsButton);
    buttons->addStretch();
    buttons->addWidget(saveAndQuitButton);
    auto* layout = new QVBoxLayout(this);
    for (QGroupBox* box : {margins, sheet, grid, amplitude})
        layout->addWidget(box);
    layout->addLayout(buttons);

    showFields();
    adjustSize();
    CentreWindow(*this);
}

void LayoutWindow::showFields() {
    const Binding bindings[] = {
        {topMarginField, &LayoutFields::topMargin},
        {bottomMarginField, &LayoutFields::bottomMargin},
        {leftMarginField, &LayoutFields::leftMargin},
        {rightMarginField, &LayoutFields::rightMargin},
        {sheetWidthField, &LayoutFields::sheetWidth},
        {sheetHeightField, &LayoutFields::sheetHeight},
        {amplitudeField, &LayoutFields::amplitude},
        {rowsField, &LayoutFields::rows},
        {columnsField, &LayoutFields::columns},
    };
    for (const Binding& b : bindings) {
        // A field that already shows the value keeps its cursor.
        if (b.field->text() != ctx_.layout.*b.value)
            b.field->setText(ctx_.layout.*b.value);
    }
}

void LayoutWindow::showEvent(QShowEvent* event) {
    // Start-up and the save button reload the settings while the window is hidden.
    showFields();
    QWidget::showEvent(event);
}

void LayoutWindow::offerDefaults() {
    OfferDefaultLayout(ctx_);
    showFields();
}

void LayoutWindow::saveAndQuit() {
    const bool saved = SaveLayout(ctx_);
    showFields();
    if (saved)
        hide();
}

} // namespace karvel
