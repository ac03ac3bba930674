#pragma once
// The record views and data links bound at start-up. Every record the
// program reads or writes goes through one of them.

#include "records/document_view.h"
#include "records/record_view.h"

#include <array>

namespace karvel {

struct RecordViews {
    explicit RecordViews(const Clock& clock)
        : documentsView(QStringLiteral("Fichedocument"), QStringLiteral("Donnée5"), clock) {}

    DocumentView documentsView; // Fichedocument: vok
    RecordView pupilsView{QStringLiteral("feuilleenfant"),
                          QStringLiteral("Donnée1")}; // feuilleenfant: enfants
    RecordView classesView{QStringLiteral("équipepédago"),
                           QStringLiteral("Donnée4")}; // équipepédago: équipe
    RecordView membersView{QStringLiteral("inscription"),
                           QStringLiteral("Donnée3")}; // inscription: membres
    // Links no procedure reads, bound at start-up and closed before the backups.
    RecordView externalGroupsLink{QStringLiteral("inscription"),
                                  QStringLiteral("Donnée6")}; // Donnée6: extérieurs
    RecordView schoolLink{QStringLiteral("équipepédago"),
                          QStringLiteral("Donnée7")}; // Donnée7: école
    RecordView titlesLink{QStringLiteral("équipepédago"),
                          QStringLiteral("Donnée9")}; // Donnée9: vok titles

    // Every link, in the order they are closed before the backups.
    std::array<RecordView*, 7> closingOrder() {
        return {&membersView, &documentsView, &externalGroupsLink, &titlesLink,
                &classesView, &schoolLink,    &pupilsView};
    }
    // Closes every open link (a repair must not leave a file open).
    void closeAll() {
        for (RecordView* view : closingOrder()) {
            if (view->isOpen())
                view->close();
        }
    }
};

} // namespace karvel
