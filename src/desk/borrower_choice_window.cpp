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

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List2 = new QListWidget(this);
    List2->setObjectName(QStringLiteral("List2"));
    // Hidden until a class is chosen, without the window changing shape.
    QSizePolicy keepPlace = List2->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    List2->setSizePolicy(keepPlace);
    List2->hide();
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));

    SSCommand1 = new QPushButton(QStringLiteral("&Accepter"), this);
    SSCommand1->setObjectName(QStringLiteral("SSCommand1"));
    SSCommand1->setToolTip(QStringLiteral("Cliquez pour accepter la sélection"));
    SSCommand2 = new QPushButton(QStringLiteral("&Quitter"), this);
    SSCommand2->setObjectName(QStringLiteral("SSCommand2"));
    SSCommand2->setToolTip(QStringLiteral("Cliquez pour quitter"));

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(new QLabel(QStringLiteral("Classes"), this), 0, 0);
    layout->addWidget(
        new QLabel(QStringLiteral("Liste des emprunteurs de la classe sélectionnée"), this), 0, 1);
    layout->addWidget(List1, 1, 0);
    layout->addWidget(List2, 1, 1);
    layout->addWidget(Text1, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SSCommand1);
    buttons->addWidget(SSCommand2);
    layout->addLayout(buttons, 3, 0, 1, 2);
    layout->setColumnStretch(0, 2);
    layout->setColumnStretch(1, 3);

    // A class chosen with the mouse or the arrow keys lists its borrowers.
    connect(List1, &QListWidget::currentRowChanged, this, &BorrowerChoiceWindow::listBorrowers);
    connect(Text1, &QLineEdit::textChanged, this, &BorrowerChoiceWindow::search);
    connect(List2, &QListWidget::itemDoubleClicked, this, &BorrowerChoiceWindow::accept);
    connect(SSCommand1, &QPushButton::clicked, this, &BorrowerChoiceWindow::accept);
    connect(SSCommand2, &QPushButton::clicked, this, &QWidget::hide);

    resize(620, 420);
    CentreWindow(*this);
}

void BorrowerChoiceWindow::setClasses(const QStringList& classLines) {
    List1->clear();
    List1->addItems(classLines);
    // The first class stands chosen, its borrowers listed and the search
    // field ready, so a name can be typed at once.
    List1->setCurrentRow(0);
}

void BorrowerChoiceWindow::listBorrowers(int classRow) {
    if (classRow < 0)
        return;
    const QString classLine = List1->item(classRow)->text();
    BorrowerList borrowers;
    if (!RunReportingErrors(ctx_, [&] { borrowers = BorrowersOfClass(ctx_, classLine); }))
        return;
    category_ = borrowers.category;
    List2->show();
    List2->clear();
    List2->addItems(borrowers.lines);
    Text1->setFocus();
}

void BorrowerChoiceWindow::search(const QString& text) {
    QStringList lines;
    lines.reserve(List2->count());
    for (int i = 0; i < List2->count(); ++i)
        lines.push_back(List2->item(i)->text());
    const int row = FindBorrowerLine(lines, text);
    if (row < 0)
        return;
    List2->scrollToItem(List2->item(row), QAbstractItemView::PositionAtTop);
    List2->setCurrentRow(row);
}

void BorrowerChoiceWindow::accept() {
    const QList<QListWidgetItem*> selected = List2->selectedItems();
    if (selected.isEmpty())
        return;
    const QString reading = BorrowerReading(category_, selected.first()->text());
    if (reading.isEmpty())
        return;
    hide();
    List2->hide();
    read_(reading);
}

} // namespace karvel
