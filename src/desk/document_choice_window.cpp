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

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setClearButtonEnabled(true);
    auto* searchLabel = new QLabel(QStringLiteral("&Rechercher un titre ou un auteur :"), this);
    searchLabel->setBuddy(Text1);

    lines_ = new DocumentList(ctx_.views.Fichedocument, this);
    List2 = new QListView(this);
    List2->setObjectName(QStringLiteral("List2"));
    List2->setModel(lines_);
    List2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every line has the same height, so the view never measures a million of them.
    List2->setUniformItemSizes(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(searchLabel);
    layout->addWidget(Text1);
    layout->addWidget(List2);

    connect(Text1, &QLineEdit::textChanged, this, &DocumentChoiceWindow::search);
    connect(List2, &QListView::doubleClicked, this, &DocumentChoiceWindow::accept);

    resize(640, 480);
    CentreWindow(*this);
}

bool DocumentChoiceWindow::hasLines() const {
    return lines_->rowCount() > 0 || !Text1->text().isEmpty();
}

void DocumentChoiceWindow::listAll() {
    lines_->fill();
}

void DocumentChoiceWindow::showList() {
    show();
    raise();
    activateWindow();
    List2->show();
}

void DocumentChoiceWindow::search(const QString& text) {
    RunReportingErrors(ctx_, [&] { lines_->fill(text.trimmed()); });
}

void DocumentChoiceWindow::accept() {
    const QModelIndexList selected = List2->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    QString line;
    if (!RunReportingErrors(ctx_, [&] { line = lines_->readLine(selected.first().row()); }))
        return;
    hide();
    read_(DocumentReading(line));
}

} // namespace karvel
