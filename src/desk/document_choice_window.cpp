#include "desk/document_choice_window.h"

#include "data/error_report.h"
#include "desk/app_context.h"
#include "desk/choice_lists.h"
#include "desk/document_list.h"
#include "platform/centre_window.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QVBoxLayout>

namespace karvel {

DocumentChoiceWindow::DocumentChoiceWindow(AppContext& ctx,
                                           std::function<void(const QString&)> read,
                                           QWidget* parent)
    : QWidget(parent, Qt::Window), ctx_(ctx), read_(std::move(read)) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("KarVel - Liste des Documents"));

    searchField = new QLineEdit(this);
    searchField->setObjectName(QStringLiteral("Text1"));
    searchField->setClearButtonEnabled(true);
    auto* searchLabel = new QLabel(QStringLiteral("&Rechercher un titre ou un auteur :"), this);
    searchLabel->setBuddy(searchField);

    lines_ = new DocumentList(ctx_.views.documentsView, this);
    documentList = new QListView(this);
    documentList->setObjectName(QStringLiteral("List2"));
    documentList->setModel(lines_);
    documentList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every line has the same height, so the view never measures a million of them.
    documentList->setUniformItemSizes(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(searchLabel);
    layout->addWidget(searchField);
    layout->addWidget(documentList);

    connect(searchField, &QLineEdit::textChanged, this, &DocumentChoiceWindow::search);
    connect(documentList, &QListView::doubleClicked, this, &DocumentChoiceWindow::accept);

    resize(640, 480);
    CentreWindow(*this);
}

bool DocumentChoiceWindow::hasLines() const {
    return lines_->rowCount() > 0 || !searchField->text().isEmpty();
}

void DocumentChoiceWindow::listAll() {
    lines_->fill();
}

void DocumentChoiceWindow::showList() {
    show();
    raise();
    activateWindow();
    documentList->show();
}

void DocumentChoiceWindow::search(const QString& text) {
    RunReportingErrors(ctx_, [&] { lines_->fill(text.trimmed()); });
}

void DocumentChoiceWindow::accept() {
    const QModelIndexList selected = documentList->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    QString line;
    if (!RunReportingErrors(ctx_, [&] { line = lines_->readLine(selected.first().row()); }))
        return;
    hide();
    read_(DocumentReading(line));
}

} // namespace karvel
