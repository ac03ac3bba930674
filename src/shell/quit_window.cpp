#include "shell/quit_window.h"

#include "platform/centre_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace karvel {

namespace {

// An open door, drawn rather than shipped as a file.
QPixmap doorPicture() {
    QPixmap picture(64, 80);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 2));
    // The frame, dark inside: the way out.
    painter.setBrush(QColor(40, 40, 60));
    painter.drawRect(QRectF(8, 6, 40, 68));
    // The leaf, swung open towards the viewer.
    painter.setBrush(QColor(170, 110, 60));
    const QPointF leaf[] = {{8, 6}, {28, 14}, {28, 80 - 4}, {8, 74}};
    painter.drawPolygon(leaf, 4);
    painter.setBrush(QColor(230, 200, 80));
    painter.drawEllipse(QPointF(24, 44), 2.5, 2.5);
    return picture;
}

} // namespace

void endEventLoop(int exitCode) {
    // A box still open belongs to a procedure waiting for its answer: let go
    // on, it would act on an answer nobody gave, after the backups.
    if (QApplication::activeModalWidget()) {
        std::fflush(nullptr);
        std::_Exit(exitCode);
    }
    QCoreApplication::exit(exitCode);
}

QuitWindow::QuitWindow(QuitActions actions, QWidget* parent)
    : QDialog(parent), actions_(std::move(actions)) {
    setObjectName(QStringLiteral("quitter"));
    setWindowTitle(QStringLiteral("KarVel pour La VOK : Quitter ?"));

    auto* picture = new QLabel(this);
    picture->setPixmap(doorPicture());

    Etiquette1 = new QLabel(QStringLiteral("Voulez-vous quitter le programme ?"), this);
    Etiquette1->setObjectName(QStringLiteral("Etiquette1"));

    Commande1 = new QPushButton(QStringLiteral("&Oui, je quitte"), this);
    Commande1->setObjectName(QStringLiteral("Commande1"));
    Commande1->setToolTip(QStringLiteral("Cliquez pour quitter le logiciel KarVel"));

    Commande2 = new QPushButton(QStringLiteral("&Non, pas pour l'instant"), this);
    Commande2->setObjectName(QStringLiteral("Commande2"));
    Commande2->setToolTip(QStringLiteral("Cliquez pour annuler et revenir au logiciel KarVel"));
    // Enter, pressed without reading, must not end the program.
    Commande2->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Commande1);
    buttons->addWidget(Commande2);
    auto* text = new QVBoxLayout;
    text->addStretch();
    text->addWidget(Etiquette1);
    text->addSpacing(12);
    text->addLayout(buttons);
    text->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(20);
    layout->addWidget(picture);
    layout->addLayout(text);

    connect(Commande1, &QPushButton::clicked, this, &QuitWindow::quit);
    connect(Commande2, &QPushButton::clicked, this, &QWidget::hide);

    adjustSize();
    CentreWindow(*this);
}

void QuitWindow::quit() {
    if (!std::exchange(quitting_, true) && actions_.makeBackups)
        actions_.makeBackups();
    actions_.endProgram(0);
}

} // namespace karvel
