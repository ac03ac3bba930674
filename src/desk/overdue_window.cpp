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

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    List1 = new QTreeWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setHeaderLabels({QStringLiteral("Titre"), QStringLiteral("Emprunteur"),
                            QStringLiteral("Emprunté le"), QStringLiteral("Retard")});
    List1->setRootIsDecorated(false);
    List1->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    List1->header()->setStretchLastSection(false);

    SSCommand1 = new QPushButton(QStringLiteral("&Imprimer"), this);
    SSCommand1->setObjectName(QStringLiteral("SSCommand1"));
    SSCommand1->setToolTip(QStringLiteral("Cliquez pour imprimer une page par classe"));
    SSCommand2 = new QPushButton(QStringLiteral("&Exporter pour un tableur…"), this);
    SSCommand2->setObjectName(QStringLiteral("SSCommand2"));
    SSCommand2->setToolTip(QStringLiteral("Cliquez pour enregistrer la liste au format CSV"));
    SSCommand3 = new QPushButton(QStringLiteral("&Actualiser"), this);
    SSCommand3->setObjectName(QStringLiteral("SSCommand3"));
    SSCommand4 = new QPushButton(QStringLiteral("&Quitter"), this);
    SSCommand4->setObjectName(QStringLiteral("SSCommand4"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(Label1);
    layout->addWidget(List1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(SSCommand1);
    buttons->addWidget(SSCommand2);
    buttons->addStretch();
    buttons->addWidget(SSCommand3);
    buttons->addWidget(SSCommand4);
    layout->addLayout(buttons);

    connect(SSCommand1, &QPushButton::clicked, this, [this] { PrintOverdueList(ctx_, list_); });
    connect(SSCommand2, &QPushButton::clicked, this, &OverdueWindow::exportCsv);
    connect(SSCommand3, &QPushButton::clicked, this, &OverdueWindow::refresh);
    connect(SSCommand4, &QPushButton::clicked, this, &QWidget::hide);

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
    List1->clear();
    int count = 0;
    for (const OverdueGroup& group : list.groups) {
        auto* heading = new QTreeWidgetItem(List1, {group.heading});
        heading->setFirstColumnSpanned(true);
        QFont bold = heading->font(0);
        bold.setBold(true);
        heading->setFont(0, bold);
        for (const OverdueLine& line : group.lines)
            new QTreeWidgetItem(
                heading, {line.titre, line.borrowerName, line.dateemprunt, DaysLateText(line)});
        count += int(group.lines.size());
    }
    List1->expandAll();
    for (int column = 1; column < List1->columnCount(); ++column)
        List1->resizeColumnToContents(column);
    Label1->setText(QStringLiteral("Durée maximale de prêt : ") +
                    loanDurationText(list.maximumDays) +
                    QStringLiteral(" - Documents en retard : ") + QString::number(count));
    SSCommand1->setEnabled(count > 0);
    SSCommand2->setEnabled(count > 0);
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
