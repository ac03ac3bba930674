#pragma once
// A loan desk on a small school: a catalogue covering every loan state, two
// pupils, three external members, the clock at 7 March 2026 10:30, a pupils'
// limit of 2 and no limit for members.

#include "desk/desk_state.h"
#include "desk/interpreter.h"
#include "test_data.h"

#include <QFile>
#include <gtest/gtest.h>

namespace karvel::test {

inline Row book(const QString& number, const QString& title, const QString& state,
                const QString& cumul = "000") {
    return {{"inventaire", number}, {"titre", title},    {"éditeur", "Gallimard"},
            {"emprunt", "O"},       {"emprunté", state}, {"cumul", cumul}};
}

inline Row lentBook(const QString& number, const QString& title, const QString& borrower,
                    const QString& kind, const QString& date) {
    Row row = book(number, title, "O", "009");
    row["emprunteur"] = borrower;
    row["catégorieemprunteur"] = kind;
    row["dateemprunt"] = date;
    return row;
}

// Validates each reading in turn at a desk, as the reader's Enter does.
inline void readAt(AppContext& ctx, DeskState& desk, std::initializer_list<QString> readings) {
    for (const QString& reading : readings) {
        desk.reading = reading;
        InterpretReading(ctx, desk);
    }
}

class LoanDeskTest : public ::testing::Test {
  protected:
    LoanDeskTest() {
        Row comma = book("00002", "Tintin, au Tibet", "", "");
        comma["éditeur"] = "Casterman";
        Row reference = book("00004", "Encyclopédie", "N");
        reference["emprunt"] = "N";
        SchoolFolder::insert(school.catalogue(), "vok",
                             {book("00001", "Le Petit Prince", "N", "007"), comma,
                              book("00003", "Astérix", "I"), reference, book("00005", "Atlas", "S"),
                              book("00006", "Bambi", "n"), book("00012", "Douze", "N"),
                              book("00123", "Cent vingt-trois", "N", "009"),
                              book("C-123", "Sans numéro", "N"),
                              lentBook("00009", "Le Lion", "00042", "école", "23/02/2026"),
                              lentBook("00010", "La Fourmi", "00099", "école", "05/03/2026"),
                              lentBook("00011", "Le Loup", "", "", "06/03/2026"),
                              lentBook("00020", "Le Chat", "00007", "extérieur", "07/03/2026")});
        SchoolFolder::insert(
            school.pupilsFile(), "enfants",
            {{{"matricule", "00042"},
              {"nomenfant", "Martin"},
              {"prénomenfant", "Léa"},
              {"classe", "CM1"},
              {"niveau", "CM"}},
             {{"matricule", "00043"}, {"nomenfant", "Petit"}, {"prénomenfant", "Tom"}}});
        SchoolFolder::insert(
            school.members(), "membres",
            {{{"matricule", "00007"},
              {"nom", "Dupont"},
              {"prénom", "Jean"},
              {"emprunt", "1"},
              {"datedernieremprunt", "01/01/2026"}},
             {{"matricule", "00008"}, {"nom", "Durand"}, {"prénom", "Anne"}, {"emprunt", "0"}},
             {{"matricule", "00042"},
              {"nom", "Bernard"},
              {"prénom", "Paul"},
              {"emprunt", ""},
              {"datedernieremprunt", "01/01/2026"}}});
        place(t.ctx);
    }

    // Binds a desk to the school's folders, with its limits.
    void place(AppContext& ctx) const {
        ctx.dataFolder = school.data();
        ctx.pupilsFolder = school.pupils();
        ctx.loanLimits = {"2", "0", "15"};
    }
    void read(std::initializer_list<QString> readings) { readAt(t.ctx, desk, readings); }
    QString doc(const QString& number, const QString& field) const {
        return SchoolFolder::value(school.catalogue(), "vok", "inventaire", number, field);
    }
    QString member(const QString& number, const QString& field) const {
        return SchoolFolder::value(school.members(), "membres", "matricule", number, field);
    }
    // The texts shown since the last call.
    QStringList texts() {
        QStringList list;
        for (const ShownMessage& m : t.dialogs.shown)
            list << m.text;
        t.dialogs.shown.clear();
        return list;
    }
    QString journalPath() const { return school.data() + "/26-03-07.JNL"; }
    QByteArray journal() const {
        QFile file(journalPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<absent>");
    }

    SchoolFolder school;
    TestContext t;
    DeskState desk;
};

} // namespace karvel::test
