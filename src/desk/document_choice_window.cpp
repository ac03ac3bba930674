#include "desk/document_choice_window.h"

#include "common/centre_window.h"
#include "desk/choice_lists.h"

#include <QItemSelectionModel>
#include <QListView>
#include <QStringListModel>
#include <QVBoxLayout>

namespace karvel {

DocumentChoiceWindow::DocumentChoiceWindow(std::function<void(const QString&)> read,
                                           QWidget* parent)
    : QWidget(parent, Qt::Window), read_(std::move(read)) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("KarVel - Liste des Documents"));

    lines_ = new QStringListModel(this);
    List2 = new QListView(this);
    List2->setObjectName(QStringLiteral("List2"));
    List2->setModel(lines_);
    List2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every line has the same height, so the view never measures a million of them.
    List2->setUniformItemSizes(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(List2);

    connect(List2, &QListView::doubleClicked, this, &DocumentChoiceWindow::accept);

    resize(640, 480);
    CentreWindow(*this);
}

bool DocumentChoiceWindow::hasLines() const {
    return lines_->rowCount() > 0;
}

void DocumentChoiceWindow::setLines(const QStringList& lines) {
    lines_->setStringList(lines);
}

void DocumentChoiceWindow::showList() {
    show();
    raise();
    activateWindow();
    List2->show();
}

void DocumentChoiceWindow::accept() {
    const QModelIndexList selected = List2->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    hide();
    read_(DocumentReading(selected.first().data().toString()));
}

} // namespace karvel
