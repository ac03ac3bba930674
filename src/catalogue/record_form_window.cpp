#include "catalogue/record_form_window.h"

#include "platform/centre_window.h"
#include "platform/progress_gauge.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace karvel {

RecordFormWindow::RecordFormWindow(AppContext& ctx, const FormDefinition& definition,
                                   QWidget* parent)
    : QWidget(parent, Qt::Window), form_(ctx, definition) {
    setObjectName(definition.objectName);
    setWindowTitle(definition.title);

    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };

    numberField = new QLineEdit(this);
    numberField->setObjectName(QStringLiteral("numero"));
    numberField->setToolTip(QStringLiteral("Tapez ou lisez le numéro d'une fiche à modifier"));
    openButton = button("ouvrir", QStringLiteral("&Ouvrir la fiche"));
    newButton = button("nouveau", QStringLiteral("&Nouvelle fiche"));
    auto* finding = new QHBoxLayout;
    finding->addWidget(new QLabel(QStringLiteral("Numéro à modifier"), this));
    finding->addWidget(numberField);
    finding->addWidget(openButton);
    finding->addWidget(newButton);
    connect(numberField, &QLineEdit::returnPressed, this, &RecordFormWindow::openTyped);
    connect(openButton, &QPushButton::clicked, this, &RecordFormWindow::openTyped);
    connect(newButton, &QPushButton::clicked, this, &RecordFormWindow::startNew);

    captionLabel = new QLabel(this);
    captionLabel->setObjectName(QStringLiteral("legende"));

    auto* fields = new QFormLayout;
    for (const FormField& field : definition.fields) {
        Control control{&field};
        QWidget* widget = nullptr;
        switch (field.kind) {
        case FieldKind::Lines:
            widget = control.lines = new QPlainTextEdit(this);
            break;
        case FieldKind::Check:
            widget = control.check = new QCheckBox(this);
            break;
        case FieldKind::Line:
        case FieldKind::Date:
            widget = control.line = new QLineEdit(this);
            // The companion products' columns hold no more.
            control.line->setMaxLength(field.width);
            if (field.kind == FieldKind::Date)
                control.line->setPlaceholderText(QStringLiteral("jj/mm/aaaa"));
            break;
        }
        widget->setObjectName(field.objectName);
        fields->addRow(field.label, widget);
        controls_.push_back(control);
    }

    saveButton = button("enregistrer", QString());
    printButton = button("imprimer", definition.printLabels);
    quitButton = button("quitter", QStringLiteral("&Quitter"));
    connect(saveButton, &QPushButton::clicked, this, &RecordFormWindow::save);
    connect(printButton, &QPushButton::clicked, this, &RecordFormWindow::printLabels);
    connect(quitButton, &QPushButton::clicked, this, &RecordFormWindow::quit);
    gaugeBar = new QProgressBar(this);
    gaugeBar->setObjectName(QStringLiteral("gaugeBar"));
    gaugeBar->setRange(0, 100);
    gaugeBar->setValue(0);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveButton);
    buttons->addWidget(printButton);
    buttons->addStretch();
    buttons->addWidget(quitButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(finding);
    layout->addWidget(captionLabel);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->addWidget(gaugeBar);

    showForm();
    adjustSize();
    CentreWindow(*this);
}

void RecordFormWindow::showForm() {
    const FormDefinition& definition = form_.definition();
    captionLabel->setText(
        (form_.editing() ? definition.editCaption : definition.newCaption).arg(form_.number()));
    saveButton->setText(form_.editing() ? QStringLiteral("&Enregistrer")
                                        : QStringLiteral("&Enregistrer et suivant"));
    for (const Control& control : controls_) {
        const QString value = form_.value(control.field->name);
        if (control.line)
            control.line->setText(value);
        else if (control.lines)
            control.lines->setPlainText(value);
        else
            control.check->setChecked(control.field->ticks(value));
    }
}

void RecordFormWindow::readControls() {
    for (const Control& control : controls_) {
        const FormField& field = *control.field;
        if (control.line)
            form_.setValue(field.name, control.line->text());
        else if (control.lines)
            form_.setValue(field.name, control.lines->toPlainText());
        // A box left as it was keeps the value read, which may be neither of the two.
        else if (control.check->isChecked() != field.ticks(form_.value(field.name)))
            form_.setValue(field.name,
                           control.check->isChecked() ? field.checkedValue : field.uncheckedValue);
    }
}

bool RecordFormWindow::edited() {
    readControls();
    return form_.changed();
}

bool RecordFormWindow::mayLeave() {
    return !edited() || form_.mayDropChanges();
}

void RecordFormWindow::quit() {
    if (mayLeave())
        hide();
}

void RecordFormWindow::openTyped() {
    if (numberField->text().trimmed().isEmpty() || !mayLeave())
        return;
    if (form_.open(numberField->text()))
        numberField->clear();
    showForm();
    controls_.front().line->setFocus();
}

void RecordFormWindow::startNew() {
    if (!mayLeave())
        return;
    form_.startNew(false);
    showForm();
    controls_.front().line->setFocus();
}

void RecordFormWindow::save() {
    readControls();
    form_.save();
    showForm();
    controls_.front().line->setFocus();
}

void RecordFormWindow::printLabels() {
    form_.printLabels(PaintedGauge(*gaugeBar));
}

} // namespace karvel
