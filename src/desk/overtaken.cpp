#include "desk/overtaken.h"

#include "records/record_view.h"

namespace karvel {

QString OvertakenMessage(const RecordView& document, DeskChange change) {
    const QString state = document.field(QStringLiteral("emprunté")).toUpper();
    // clang-format off
    QString text;
    if (state == QLatin1String("O"))
        text = QStringLiteral("Le document vient d'être emprunté à un autre poste (emprunteur : %1)...").arg(document.field(QStringLiteral("emprunteur")));
    else if (state == QLatin1String("N"))
        text = QStringLiteral("Le document vient d'être restitué à un autre poste...");
    else if (state == QLatin1String("I"))
        text = QStringLiteral("Le document vient d'être inventorié à un autre poste...");
    else
        text = QStringLiteral("Le document vient d'être modifié à un autre poste...");
    if (change == DeskChange::Loan)
        return text + QStringLiteral("\nL'emprunt n'a pas été enregistré.");
    if (change == DeskChange::Return)
        return text + QStringLiteral("\nLa restitution n'a pas été enregistrée.");
    return text + QStringLiteral("\nIl n'a pas été compté dans cet inventaire.");
    // clang-format on
}

} // namespace karvel
