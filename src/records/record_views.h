#pragma once
// The record views and data links bound at start-up. Every record the
// program reads or writes goes through one of them.

#include "records/document_view.h"
#include "records/record_view.h"

#include <array>

namespace karvel {

struct RecordViews {
    explicit RecordViews(const Clock& clock)
        : Fichedocument(QStringLiteral("Fichedocument"), QStringLiteral("Donnée5"), clock) {}

    DocumentView Fichedocument;                                                           // vok
    RecordView feuilleenfant{QStringLiteral("feuilleenfant"), QStringLiteral("Donnée1")}; // enfants
    RecordView équipepédago{QStringLiteral("équipepédago"), QStringLiteral("Donnée4")};   // équipe
    RecordView inscription{QStringLiteral("inscription"), QStringLiteral("Donnée3")};     // membres
    // Links no procedure reads, bound at start-up and closed before the backups.
    RecordView Donnée6{QStringLiteral("inscription"), QStringLiteral("Donnée6")};  // extérieurs
    RecordView Donnée7{QStringLiteral("équipepédago"), QStringLiteral("Donnée7")}; // école
    RecordView Donnée9{QStringLiteral("équipepédago"), QStringLiteral("Donnée9")}; // vok titles

    // Every link, in the order they are closed before the backups.
    std::array<RecordView*, 7> closingOrder() {
        return {&inscription,  &Fichedocument, &Donnée6,      &Donnée9,
                &équipepédago, &Donnée7,       &feuilleenfant};
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
