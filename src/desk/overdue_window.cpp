#include "desk/overdue_window.h"

#include "common/text.h"
#include "data/error_report.h"
#include "desk/app_context.h"
#include "platform/centre_window.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace karvel {

namespace {

QString askCsvPath(QWidget* parent, const QString& suggested) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Exporter les documents en retard"),
                                        suggested, QStringLiteral("Tableur CSV (*.csv)"));
}

} // namespace

OverdueWindow::OverdueWindow(AppContext& ctx, PathChooser choosePath, QWidget* parent)
    : QWidget(parent, Qt::Window), ctx_(ctx),
      choosePath_(choosePath ? std::move(choosePath) : PathChooser(askCsvPath)) {
    setObjectName(QStringLiteral("Retards"));
    setWindowTitle(QStringLiteral("KarVel - Documents en retard"));

    summaryLabel = new QLabel(this);
    summaryLabel->setObjectName(QStringLiteral("Label1"));
    overdueTree = new QTreeWidget(this);
    overdueTree->setObjectName(QStringLiteral("List1"));
    overdueTree->setHeaderLabels({QStringLiteral("Titre"), QStringLiteral("Emprunteur"),
                                  QStringLiteral("Emprunté le"), QStringLiteral("Retard")});
    overdueTree->setRootIsDecorated(false);
    overdueTree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    overdueTree->header()->setStretchLastSection(false);

    printButton = new QPushButton(QStringLiteral("&Imprimer"), this);
    printButton->setObjectName(QStringLiteral("SSCommand1"));
    printButton->setToolTip(QStringLiteral("Cliquez pour imprimer une page par classe"));
    exportButton = new QPushButton(QStringLiteral("&Exporter pour un tableur…"), this);
    exportButton->setObjectName(QStringLiteral("SSCommand2"));
    exportButton->setToolTip(QStringLiteral("Cliquez pour enregistrer la liste au format CSV"));
    refreshButton = new QPushButton(QStringLiteral("&Actualiser"), this);
    refreshButton->setObjectName(QStringLiteral("SSCommand3"));
    quitButton = new QPushButton(QStringLiteral("&Quitter"), this);
    quitButton->setObjectName(QStringLiteral("SSCommand4"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(summaryLabel);
    layout->addWidget(overdueTree);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(printButton);
    buttons->addWidget(exportButton);
    buttons->addStretch();
    buttons->addWidget(refreshButton);
    buttons->addWidget(quitButton);
    layout->addLayout(buttons);

    connect(printButton, &QPushButton::clicked, this, [this] { PrintOverdueList(ctx_, list_); });
    connect(exportButton, &QPushButton::clicked, this, &OverdueWindow::exportCsv);
    connect(refreshButton, &QPushButton::clicked, this, &OverdueWindow::refresh);
    connect(quitButton, &QPushButton::clicked, this, &QWidget::hide);

    resize(760, 480);
    CentreWindow(*this);
}

void OverdueWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

void OverdueWindow::refresh() {
    OverdueList list;
    if (RunReportingErrors(ctx_, [&] { list = BuildOverdueList(ctx_); }))
        display(list);
}

void OverdueWindow::display(const OverdueList& list) {
    list_ = list;
    overdueTree->clear();
    int count = 0;
    for (const OverdueGroup& group : list.groups) {
        auto* heading = new QTreeWidgetItem(overdueTree, {group.heading});
        heading->setFirstColumnSpanned(true);
        QFont bold = heading->font(0);
        bold.setBold(true);
        heading->setFont(0, bold);
        for (const OverdueLine& line : group.lines)
            new QTreeWidgetItem(
                heading, {line.titre, line.borrowerName, line.dateemprunt, DaysLateText(line)});
        count += int(group.lines.size());
    }
    overdueTree->expandAll();
    for (int column = 1; column < overdueTree->columnCount(); ++column)
        overdueTree->resizeColumnToContents(column);
    summaryLabel->setText(QStringLiteral("Durée maximale de prêt : ") +
                          loanDurationText(list.maximumDays) +
                          QStringLiteral(" - Documents en retard : ") + QString::number(count));
    printButton->setEnabled(count > 0);
    exportButton->setEnabled(count > 0);
}

void OverdueWindow::exportCsv() {
    const QString suggested = ctx_.dataFolder + QStringLiteral("/retards-") +
                              list_.day.toString(QStringLiteral("yyyy-MM-dd")) +
                              QStringLiteral(".csv");
    const QString path = choosePath_(this, suggested);
    if (!path.isEmpty())
        ExportOverdueCsv(ctx_, list_, path);
}

} // namespace karvel
