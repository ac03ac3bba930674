#include "desk/action_choice_window.h"

#include "platform/centre_window.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace karvel {

ActionChoiceWindow::ActionChoiceWindow(std::function<void(const QString&)> read, QWidget* parent)
    : QWidget(parent, Qt::Window), read_(std::move(read)) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("KarVel - choix de l'action"));

    auto button = [this](const char* name, const QString& caption, const QString& hint,
                         const QString& command) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setMinimumHeight(40);
        connect(b, &QPushButton::clicked, this, [this, command] { choose(command); });
        return b;
    };
    loanButton = button("SSCommand1", QStringLiteral("&Emprunt"),
                        QStringLiteral("Action : EMPRUNT"), QStringLiteral("EMPRUNT"));
    returnButton = button("SSCommand2", QStringLiteral("&Restitution"),
                          QStringLiteral("Action : RESTITUTION"), QStringLiteral("RESTITUTION"));
    printButton = button("SSCommand3", QStringLiteral("&Impression"),
                         QStringLiteral("Action : IMPRESSION"), QStringLiteral("IMPRESSION"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(12);
    for (QPushButton* b : {loanButton, returnButton, printButton})
        layout->addWidget(b);

    adjustSize();
    CentreWindow(*this);
}

void ActionChoiceWindow::choose(const QString& command) {
    hide();
    read_(command);
}

} // namespace karvel
