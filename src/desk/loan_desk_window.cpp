#include "desk/loan_desk_window.h"

#include "data/error_report.h"
#include "desk/action_choice_window.h"
#include "desk/app_context.h"
#include "desk/borrower_choice_window.h"
#include "desk/choice_lists.h"
#include "desk/document_choice_window.h"
#include "desk/interpreter.h"
#include "desk/loan_list.h"
#include "platform/centre_window.h"
#include "platform/print_preview.h"
#include "platform/window_frame.h"

#include <QCloseEvent>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>

namespace karvel {

namespace {

// Letters become capitals as they are typed; the cursor stays after the
// character just typed even when a capital is longer ("ß" gives "SS").
class UpperCaseValidator final : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        const QString upper = input.toUpper();
        if (upper != input) {
            pos = int(input.left(pos).toUpper().size());
            input = upper;
        }
        return Acceptable;
    }
};

// The validate button's picture: a barcode under a tick.
QPixmap validatePicture() {
    QPixmap picture(48, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    const int bars[] = {2, 1, 1, 3, 1, 2, 1, 1, 2, 1, 3, 1};
    int x = 4;
    for (size_t i = 0; i < std::size(bars); ++i) {
        if (i % 2 == 0)
            painter.fillRect(x, 12, bars[i], 18, Qt::black);
        x += bars[i] + 1;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0, 140, 0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF tick[] = {{30, 10}, {35, 16}, {45, 3}};
    painter.drawPolyline(tick, 3);
    return picture;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    return button;
}

QLineEdit* makeField(QWidget* parent, const char* name) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    return field;
}

// A caption the interpreter writes, drawn as a sunken field.
QLabel* makeCaption(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // Names and titles come from the files: a "<" in one is text, not markup.
    label->setTextFormat(Qt::PlainText);
    label->setMinimumWidth(90);
    return label;
}

} // namespace

LoanDeskWindow::LoanDeskWindow(AppContext& ctx, QWidget* parent)
    : QWidget(parent, Qt::Window), ctx_(ctx) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(
        QStringLiteral("KarVel pour La VOK - Gestion des Prêts par lecture de codes-barres"));

    // Reading.
    auto* reading = new QGroupBox(QStringLiteral("Lecture du code-barres"), this);
    reading->setObjectName(QStringLiteral("Frame1"));
    readingCaption = new QLabel(QStringLiteral("Lecture du code-barres"), reading);
    readingCaption->setObjectName(QStringLiteral("Label7"));
    readingField = makeField(reading, "Text1");
    readingField->setValidator(new UpperCaseValidator(readingField));
    readingCaption->setBuddy(readingField);
    validateButton = makeButton(reading, "SSCommand3", QString(),
                                QStringLiteral("Cliquez pour valider le code-barres"));
    validateButton->setIcon(validatePicture());
    validateButton->setIconSize(QSize(48, 32));
    validateButton->setAccessibleName(validateButton->toolTip());
    auto* readingLayout = new QHBoxLayout(reading);
    readingLayout->addWidget(readingCaption);
    readingLayout->addWidget(readingField, 1);
    readingLayout->addWidget(validateButton);

    // Analysis: what the interpreter understood, and the choices by hand.
    auto* analysis = new QGroupBox(QStringLiteral("Analyse de la lecture du code-barres"), this);
    analysis->setObjectName(QStringLiteral("Frame2"));
    actionField = makeField(analysis, "Text2");
    borrowerField = makeField(analysis, "Text3");
    documentField = makeField(analysis, "Text4");
    // Only the interpreter writes them: a hand-typed action or borrower would
    // not match the borrower's kind and number shown below.
    for (QLineEdit* field : {actionField, borrowerField, documentField}) {
        field->setReadOnly(true);
        field->setFocusPolicy(Qt::NoFocus);
    }
    actionChoiceButton =
        makeButton(analysis, "SSCommand4", QStringLiteral("Action"),
                   QStringLiteral("Cliquez pour sélectionner manuellement l'action à effectuer"));
    borrowerChoiceButton =
        makeButton(analysis, "SSCommand5", QStringLiteral("Emprunteur"),
                   QStringLiteral("Cliquez pour sélectionner manuellement l'emprunteur concerné"));
    documentChoiceButton =
        makeButton(analysis, "SSCommand6", QStringLiteral("Documents"),
                   QStringLiteral("Cliquez pour sélectionner manuellement le document concerné"));
    auto* analysisLayout = new QGridLayout(analysis);
    const QString fieldNames[] = {QStringLiteral("Action lue"), QStringLiteral("Emprunteur lu"),
                                  QStringLiteral("Document lu")};
    const char* labelNames[] = {"actionReadLabel", "borrowerReadLabel", "documentReadLabel"};
    QLineEdit* fields[] = {actionField, borrowerField, documentField};
    QPushButton* choices[] = {actionChoiceButton, borrowerChoiceButton, documentChoiceButton};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(fieldNames[i], analysis);
        label->setObjectName(QString::fromLatin1(labelNames[i]));
        label->setBuddy(fields[i]);
        analysisLayout->addWidget(label, 0, i);
        analysisLayout->addWidget(fields[i], 1, i);
        analysisLayout->addWidget(choices[i], 2, i);
    }

    // What the desk shows of the action, the borrower and the documents.
    auto* view =
        new QGroupBox(QStringLiteral("Visualisation de la lecture des codes-barres"), this);
    view->setObjectName(QStringLiteral("Frame3"));
    const QString headings[] = {QStringLiteral("Action sur la base de données"),
                                QStringLiteral("Emprunteur identifié"),
                                QStringLiteral("Liste des documents")};
    auto* viewLayout = new QGridLayout(view);
    for (int i = 0; i < 3; ++i) {
        // One control array of three captions, told apart by their index.
        auto* heading = new QLabel(headings[i], view);
        heading->setObjectName(QStringLiteral("Label8"));
        heading->setProperty("index", i);
        viewLayout->addWidget(heading, i, 0, Qt::AlignTop);
    }
    actionLabel = makeCaption(view, "Label4");
    borrowerKindLabel = makeCaption(view, "Label5");
    borrowerNumberLabel = makeCaption(view, "Label6");
    borrowerNameLabel = makeCaption(view, "Label9");
    handledList = new QListWidget(view);
    handledList->setObjectName(QStringLiteral("List1"));
    // Nothing but the reading field takes the focus from a click: a scan
    // made after a click on the list or a button still reaches the field.
    handledList->setFocusPolicy(Qt::NoFocus);
    auto* borrower = new QHBoxLayout;
    borrower->addWidget(borrowerKindLabel);
    borrower->addWidget(borrowerNumberLabel);
    borrower->addWidget(borrowerNameLabel, 1);
    viewLayout->addWidget(actionLabel, 0, 1);
    viewLayout->addLayout(borrower, 1, 1);
    viewLayout->addWidget(handledList, 2, 1);
    viewLayout->setColumnStretch(1, 1);

    printButton = makeButton(this, "SSCommand7", QStringLiteral("&Imprimer"),
                             QStringLiteral("Cliquez pour imprimer"));
    previewButton = makeButton(this, "SSCommand8", QStringLiteral("&Aperçu"),
                               QStringLiteral("Cliquez pour voir la liste avant de l'imprimer"));
    quitButton = makeButton(this, "SSCommand2", QStringLiteral("&Quitter"),
                            QStringLiteral("Cliquez pour quitter la gestion des prêts"));
    newReadingButton =
        makeButton(this, "SSCommand1", QStringLiteral("&Nouvelle lecture de codes-barres"),
                   QStringLiteral("Cliquez pour effectuer une nouvelle lecture de codes-barres"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(printButton);
    bottom->addWidget(previewButton);
    bottom->addStretch();
    bottom->addWidget(newReadingButton);
    bottom->addWidget(quitButton);

    for (QPushButton* button : findChildren<QPushButton*>())
        button->setFocusPolicy(Qt::TabFocus);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(reading);
    layout->addWidget(analysis);
    layout->addWidget(view, 1);
    layout->addLayout(bottom);

    connect(validateButton, &QPushButton::clicked, this, &LoanDeskWindow::validateReading);
    // Readers end each code with Enter, which must do exactly what the click does.
    connect(readingField, &QLineEdit::returnPressed, validateButton, &QPushButton::click);
    connect(newReadingButton, &QPushButton::clicked, this, &LoanDeskWindow::newReading);
    connect(quitButton, &QPushButton::clicked, this, &LoanDeskWindow::closeLoanDesk);
    connect(printButton, &QPushButton::clicked, this, &LoanDeskWindow::printList);
    connect(previewButton, &QPushButton::clicked, this, &LoanDeskWindow::previewList);
    connect(actionChoiceButton, &QPushButton::clicked, this, &LoanDeskWindow::chooseAction);
    connect(borrowerChoiceButton, &QPushButton::clicked, this, &LoanDeskWindow::chooseBorrower);
    connect(documentChoiceButton, &QPushButton::clicked, this, &LoanDeskWindow::chooseDocument);

    resize(640, 520);
    CentreWindow(*this);
}

DeskState LoanDeskWindow::state() const {
    DeskState desk;
    desk.reading = readingField->text();
    desk.actionWord = actionField->text();
    desk.borrowerReading = borrowerField->text();
    desk.documentNumber = documentField->text();
    desk.actionCaption = actionLabel->text();
    desk.borrowerKind = borrowerKindLabel->text();
    desk.borrowerNumber = borrowerNumberLabel->text();
    desk.borrowerName = borrowerNameLabel->text();
    for (int i = 0; i < handledList->count(); ++i)
        desk.handledDocuments.push_back(handledList->item(i)->text());
    return desk;
}

void LoanDeskWindow::showFields(const DeskState& desk) {
    readingField->setText(desk.reading);
    actionField->setText(desk.actionWord);
    borrowerField->setText(desk.borrowerReading);
    documentField->setText(desk.documentNumber);
    actionLabel->setText(desk.actionCaption);
    borrowerKindLabel->setText(desk.borrowerKind);
    borrowerNumberLabel->setText(desk.borrowerNumber);
    borrowerNameLabel->setText(desk.borrowerName);
    const QStringList shown = state().handledDocuments;
    if (desk.handledDocuments == shown)
        return;
    const bool added = desk.handledDocuments.size() == shown.size() + 1 &&
                       desk.handledDocuments.mid(0, shown.size()) == shown;
    handledList->clear();
    handledList->addItems(desk.handledDocuments);
    handledList->scrollToBottom();
    // The line a reading just added stands out, so a pupil sees it was taken.
    if (added)
        handledList->setCurrentRow(handledList->count() - 1);
}

void LoanDeskWindow::showState(const DeskState& desk) {
    showFields(desk);
    if (desk.focusReading)
        focusReading();
}

void LoanDeskWindow::focusReading() {
    BringUp(ctx_, *this);
    focusReadingField();
}

void LoanDeskWindow::focusReadingField() {
    readingField->setFocus();
}

void LoanDeskWindow::open() {
    focusReading();
}

void LoanDeskWindow::read(const QString& reading) {
    readingField->setText(reading);
    focusReading();
    validateButton->click();
}

void LoanDeskWindow::beforeBox(Icon) {
    if (interpreting_)
        showFields(*interpreting_);
}

void LoanDeskWindow::readingKept(int) {
    ctx_.play(Sound::Waiting);
}

void LoanDeskWindow::watchingBoxes(const std::function<void()>& action) {
    {
        Dialogs::Watch watch(ctx_.dialogs, *this);
        action();
    }
    readWaiting();
}

void LoanDeskWindow::interpretReading() {
    DeskState desk = state();
    const QString reading = desk.reading;
    interpreting_ = &desk;
    {
        Dialogs::Watch watch(ctx_.dialogs, *this);
        RunReportingErrors(ctx_, [&] { InterpretReading(ctx_, desk); });
    }
    interpreting_ = nullptr;
    showState(desk);
    emit readingInterpreted(reading);
}

// The readings a barcode reader made while a box was open, in the order it
// made them, each interpreted as if it had come once the box was answered.
void LoanDeskWindow::readWaiting() {
    while (const std::optional<QString> reading = ctx_.dialogs.takeWaitingReading()) {
        readingField->setText(*reading);
        interpretReading();
    }
    // A reading cut in two by the box closing: its first keys were held,
    // the rest comes into the field.
    const QString unfinished = ctx_.dialogs.takeUnfinishedReading();
    if (!unfinished.isEmpty()) {
        readingField->setText(readingField->text() + unfinished);
        focusReadingField();
    }
}

void LoanDeskWindow::validateReading() {
    interpretReading();
    readWaiting();
}

void LoanDeskWindow::newReading() {
    DeskState desk = state();
    ResetLoanDesk(desk);
    showState(desk);
}

void LoanDeskWindow::closeLoanDesk() {
    newReading();
    hide();
}

void LoanDeskWindow::closeEvent(QCloseEvent* event) {
    newReading();
    event->accept();
}

void LoanDeskWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isVisible())
        focusReadingField();
}

bool LoanDeskWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide && isVisible())
        focusReading();
    return QWidget::eventFilter(watched, event);
}

void LoanDeskWindow::holdChoiceWindow(QWidget& window) {
    window.installEventFilter(this);
}

void LoanDeskWindow::printList() {
    watchingBoxes([this] {
        PrintLoanList(ctx_, state());
        focusReading();
    });
}

void LoanDeskWindow::previewList() {
    watchingBoxes([this] {
        const DeskState desk = state();
        ShowPrintPreview(ctx_, this, [this, &desk] { PrintLoanList(ctx_, desk); });
        focusReading();
    });
}

void LoanDeskWindow::chooseAction() {
    if (!actionChoice) {
        actionChoice =
            new ActionChoiceWindow([this](const QString& reading) { read(reading); }, this);
        holdChoiceWindow(*actionChoice);
    }
    BringUp(ctx_, *actionChoice);
}

void LoanDeskWindow::chooseBorrower() {
    QStringList classes;
    if (!RunReportingErrors(ctx_, [&] { classes = ClassEntries(ctx_); }))
        return focusReading();
    if (!borrowerChoice) {
        borrowerChoice = new BorrowerChoiceWindow(
            ctx_, [this](const QString& reading) { read(reading); }, this);
        holdChoiceWindow(*borrowerChoice);
    }
    borrowerChoice->setClasses(classes);
    BringUp(ctx_, *borrowerChoice);
}

void LoanDeskWindow::chooseDocument() {
    if (!documentChoice) {
        documentChoice = new DocumentChoiceWindow(
            ctx_, [this](const QString& reading) { read(reading); }, this);
        holdChoiceWindow(*documentChoice);
    }
    // Listed once: the catalogue is queried again only while the list is empty.
    if (!documentChoice->hasLines()) {
        ctx_.dialogs.setBusy(true);
        const bool listed = RunReportingErrors(ctx_, [&] { documentChoice->listAll(); });
        ctx_.dialogs.setBusy(false);
        if (!listed)
            return focusReading();
    }
    BringUp(ctx_, *documentChoice);
    documentChoice->showList();
}

} // namespace karvel
