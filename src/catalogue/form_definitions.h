#pragma once
// The records a librarian adds and edits by hand: documents of the catalogue
// (table vok) and external members (table membres). Each form lists the
// fields the librarian fills, with the widths the companion products give
// them, and the fields a new record starts with that belong to the desk.

#include "printing/label_sheets.h"
#include "records/record_source.h"

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace karvel {

enum class FieldKind {
    Line,  // one line, at most `width` characters
    Lines, // several lines, no limit
    Check, // a check box written as `checkedValue` or `uncheckedValue`
    Date,  // "dd/mm/yyyy", today for a new record
};

struct FormField {
    QString name;       // as the table spells it
    QString objectName; // the control's name in the window
    QString label;
    FieldKind kind = FieldKind::Line;
    int width = 0;
    // Kept from one record to the next of a pile ("Enregistrer et suivant").
    bool keptForNext = false;
    QString checkedValue;
    QString uncheckedValue;
    // The values that leave the box unticked; with none, only checkedValue ticks it.
    QStringList unticking;

    // Whether a stored value ticks the box (the reading the desk makes of it).
    bool ticks(const QString& value) const;
    // Two values the librarian cannot tell apart in the form: a check box
    // shows only whether it is ticked.
    bool sameInForm(const QString& a, const QString& b) const;
};

struct FormDefinition {
    QString file; // in the data folder
    QString table;
    QString keyField;
    RecordSource (*byNumber)(const QString& number);
    std::vector<FormField> fields;
    // What a new record holds besides the form: the desk's fields, empty or
    // at their starting value.
    std::vector<std::pair<QString, QString>> newRecord;
    QString requiredField;
    LabelKind labels;

    // The window's texts and the messages that name the kind of record.
    QString objectName;
    QString title;
    QString newCaption;   // %1: the number proposed
    QString editCaption;  // %1: the number
    QString printLabels;  // the label button
    QString required;     // the required field is empty
    QString numberTaken;  // %1 proposed, %2 given
    QString noSuchRecord; // %1: the number read
    QString changedMeanwhile;
    QString nothingAdded;
};

const FormDefinition& documentForm();
const FormDefinition& memberForm();

} // namespace karvel
