#include "desk/borrower_choice_window.h"

#include "data/error_report.h"
#include "desk/app_context.h"
#include "desk/choice_lists.h"
#include "platform/centre_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace karvel {

BorrowerChoiceWindow::BorrowerChoiceWindow(AppContext& ctx,
                                           std::function<void(const QString&)> read,
                                           QWidget* parent)
    : QWidget(parent, Qt::Window), ctx_(ctx), read_(std::move(read)) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("KarVel - Choix de l'emprunteur"));

    classList = new QListWidget(this);
    classList->setObjectName(QStringLiteral("List1"));
    borrowerList = new QListWidget(this);
    borrowerList->setObjectName(QStringLiteral("List2"));
    // Hidden until a class is chosen, without the window changing shape.
    QSizePolicy keepPlace = borrowerList->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    borrowerList->setSizePolicy(keepPlace);
    borrowerList->hide();
    searchField = new QLineEdit(this);
    searchField->setObjectName(QStringLiteral("Text1"));

    acceptButton = new QPushButton(QStringLiteral("&Accepter"), this);
    acceptButton->setObjectName(QStringLiteral("SSCommand1"));
    acceptButton->setToolTip(QStringLiteral("Cliquez pour accepter la sélection"));
    quitButton = new QPushButton(QStringLiteral("&Quitter"), this);
    quitButton->setObjectName(QStringLiteral("SSCommand2"));
    quitButton->setToolTip(QStringLiteral("Cliquez pour quitter"));

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(new QLabel(QStringLiteral("Classes"), this), 0, 0);
    layout->addWidget(
        new QLabel(QStringLiteral("Liste des emprunteurs de la classe sélectionnée"), this), 0, 1);
    layout->addWidget(classList, 1, 0);
    layout->addWidget(borrowerList, 1, 1);
    layout->addWidget(searchField, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(acceptButton);
    buttons->addWidget(quitButton);
    layout->addLayout(buttons, 3, 0, 1, 2);
    layout->setColumnStretch(0, 2);
    layout->setColumnStretch(1, 3);

    // A class chosen with the mouse or the arrow keys lists its borrowers.
    connect(classList, &QListWidget::currentRowChanged, this, &BorrowerChoiceWindow::listBorrowers);
    connect(searchField, &QLineEdit::textChanged, this, &BorrowerChoiceWindow::search);
    connect(borrowerList, &QListWidget::itemDoubleClicked, this, &BorrowerChoiceWindow::accept);
    connect(acceptButton, &QPushButton::clicked, this, &BorrowerChoiceWindow::accept);
    connect(quitButton, &QPushButton::clicked, this, &QWidget::hide);

    resize(620, 420);
    CentreWindow(*this);
}

void BorrowerChoiceWindow::setClasses(const QStringList& classLines) {
    classList->clear();
    classList->addItems(classLines);
    // The first class stands chosen, its borrowers listed and the search
    // field ready, so a name can be typed at once.
    classList->setCurrentRow(0);
}

void BorrowerChoiceWindow::listBorrowers(int classRow) {
    if (classRow < 0)
        return;
    const QString classLine = classList->item(classRow)->text();
    BorrowerList borrowers;
    if (!RunReportingErrors(ctx_, [&] { borrowers = BorrowersOfClass(ctx_, classLine); }))
        return;
    category_ = borrowers.category;
    borrowerList->show();
    borrowerList->clear();
    borrowerList->addItems(borrowers.lines);
    searchField->setFocus();
}

void BorrowerChoiceWindow::search(const QString& text) {
    QStringList lines;
    lines.reserve(borrowerList->count());
    for (int i = 0; i < borrowerList->count(); ++i)
        lines.push_back(borrowerList->item(i)->text());
    const int row = FindBorrowerLine(lines, text);
    if (row < 0)
        return;
    borrowerList->scrollToItem(borrowerList->item(row), QAbstractItemView::PositionAtTop);
    borrowerList->setCurrentRow(row);
}

void BorrowerChoiceWindow::accept() {
    const QList<QListWidgetItem*> selected = borrowerList->selectedItems();
    if (selected.isEmpty())
        return;
    const QString reading = BorrowerReading(category_, selected.first()->text());
    if (reading.isEmpty())
        return;
    hide();
    borrowerList->hide();
    read_(reading);
}

} // namespace karvel
