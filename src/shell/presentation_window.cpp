#include "shell/presentation_window.h"

#include "platform/centre_window.h"
#include "shell/startup.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

namespace karvel {

PresentationWindow::PresentationWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("présentation"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 30, 40, 30);
    layout->setSpacing(12);

    auto* picture = new QLabel(QStringLiteral("▌▌▐▌▌▐▐▌▐▌▌▐▌▐▌▌"), this);
    picture->setAlignment(Qt::AlignCenter);
    QFont big = picture->font();
    big.setPointSize(28);
    picture->setFont(big);
    layout->addWidget(picture);

    auto* module = new QLabel(QStringLiteral("Module de Lecture des Codes-Barres"), this);
    QFont title = module->font();
    title.setPointSize(16);
    title.setBold(true);
    module->setFont(title);
    module->setAlignment(Qt::AlignCenter);
    layout->addWidget(module);

    auto* product = new QLabel(QStringLiteral("Logiciel de gestion de V.O.K."), this);
    product->setAlignment(Qt::AlignCenter);
    layout->addWidget(product);

    Etiquette3 = new QLabel(QStringLiteral("Version du"), this);
    Etiquette3->setObjectName(QStringLiteral("Etiquette3"));
    Etiquette3->setAlignment(Qt::AlignCenter);
    layout->addWidget(Etiquette3);
}

void PresentationWindow::showNow() {
    Etiquette3->setText(kVersionText);
    adjustSize();
    CentreWindow(*this);
    show();
    repaint();
    QApplication::processEvents();
}

} // namespace karvel
