#include "school_year/import_pupils_window.h"

#include "common/text.h"
#include "data/error_report.h"
#include "desk/app_context.h"
#include "school_year/import_question.h"
#include "school_year/pupil_import.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace karvel::school_year {

ImportPupilsWindow::ImportPupilsWindow(AppContext& ctx, QWidget* parent)
    : QWidget(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("ImportEleves"));
    setWindowTitle(QStringLiteral("KarVel - Importer les élèves d'une année scolaire"));
    auto* layout = new QVBoxLayout(this);
    auto* help = new QLabel(
        QStringLiteral(
            "Fichier des élèves (CSV, ou tableau .ods ou .xlsx) : une ligne d'en-tête nommant les colonnes nom, prénom, classe, niveau, cycle, enseignant."),
        this);
    help->setWordWrap(true);
    layout->addWidget(help);

    auto* fileLine = new QHBoxLayout;
    fileField = new QLineEdit(this);
    fileField->setObjectName(QStringLiteral("Text1"));
    chooseButton = new QPushButton(QStringLiteral("&Choisir le fichier…"), this);
    chooseButton->setObjectName(QStringLiteral("Commande1"));
    readButton = new QPushButton(QStringLiteral("&Lire le fichier"), this);
    readButton->setObjectName(QStringLiteral("Commande2"));
    fileLine->addWidget(fileField, 1);
    fileLine->addWidget(chooseButton);
    fileLine->addWidget(readButton);
    layout->addLayout(fileLine);

    planText = new QPlainTextEdit(this);
    planText->setObjectName(QStringLiteral("Text2"));
    planText->setReadOnly(true);
    layout->addWidget(planText, 1);

    removeAbsentBox = new QCheckBox(QStringLiteral("Retirer les élèves absents du fichier"), this);
    removeAbsentBox->setObjectName(QStringLiteral("Check1"));
    removeAbsentBox->setToolTip(
        QStringLiteral("Les élèves qui ont encore des documents en prêt sont toujours gardés"));
    layout->addWidget(removeAbsentBox);

    auto* buttons = new QHBoxLayout;
    importButton = new QPushButton(QStringLiteral("&Importer"), this);
    importButton->setObjectName(QStringLiteral("Commande3"));
    importButton->setEnabled(false);
    auto* close = new QPushButton(QStringLiteral("&Fermer"), this);
    close->setObjectName(QStringLiteral("Commande4"));
    buttons->addStretch(1);
    buttons->addWidget(importButton);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    resize(640, 420);

    connect(chooseButton, &QPushButton::clicked, this, &ImportPupilsWindow::chooseFile);
    connect(readButton, &QPushButton::clicked, this, &ImportPupilsWindow::readFile);
    connect(fileField, &QLineEdit::returnPressed, this, &ImportPupilsWindow::readFile);
    connect(importButton, &QPushButton::clicked, this, &ImportPupilsWindow::import);
    connect(removeAbsentBox, &QCheckBox::toggled, this, &ImportPupilsWindow::showPlan);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
}

void ImportPupilsWindow::chooseFile() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Fichier des élèves"), ctx_.dataFolder,
        QStringLiteral("Tableaux (*.csv *.txt *.ods *.xlsx *.xls);;Tous les fichiers (*)"));
    if (path.isEmpty())
        return;
    fileField->setText(path);
    readFile();
}

void ImportPupilsWindow::readFile() {
    file_.reset();
    plan_.reset();
    try {
        PupilFile file = readPupilFile(fileField->text().trimmed());
        if (file.refusal.isEmpty()) {
            plan_ = preparePupilImport({ctx_.dataFolder, ctx_.pupilsFolder}, file);
            file_ = std::move(file);
        } else {
            ctx_.dialogs.message(Icon::Exclamation, kProgramCaption, file.refusal);
        }
    } catch (const KarvelError& error) {
        ShowStandardError(ctx_, error);
    }
    showPlan();
}

void ImportPupilsWindow::showPlan() {
    planText->setPlainText(
        plan_ ? describePlan(*plan_, {removeAbsentBox->isChecked(), !plan_->badRows.empty()})
              : QString());
    importButton->setEnabled(bool(plan_));
}

void ImportPupilsWindow::import() {
    if (!file_ || !plan_)
        return;
    if (AskAndImportPupils(ctx_, *file_, *plan_, removeAbsentBox->isChecked()))
        readFile(); // what is left to import: nothing, once the file is in
}

} // namespace karvel::school_year
