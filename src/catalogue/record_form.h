#pragma once
// A form of one document or one external member, held without widgets: a new
// record under the next free number, or an existing record found by its
// number. The window shows these values and calls these procedures.

#include "catalogue/form_definitions.h"
#include "platform/dialogs.h"
#include "printing/label_sheets.h"
#include "records/record_view.h"

#include <QString>
#include <QStringList>

namespace karvel {

struct AppContext;

class RecordForm {
  public:
    RecordForm(AppContext& ctx, const FormDefinition& definition);

    const FormDefinition& definition() const { return definition_; }

    // Empties the form for a new record and proposes the next free number.
    // With `keepShared`, the fields a pile of records often shares keep their
    // values (the date, the check box, a member's fee).
    void startNew(bool keepShared);
    // Opens the record of a number typed or read from its barcode
    // ("DOC-00042", "00042", "42"). False, with a message, when there is none.
    bool open(const QString& reading);
    // Saves the form. A new record is written in one transaction under the
    // number free at that moment: when another desk took the one proposed,
    // the next is used and the user is told. An edit writes only the fields
    // changed in the form, and only while the file still holds them as they
    // were read; otherwise nothing is written and the record is shown as it
    // now stands. On success a new record is started, keeping what a pile
    // shares after a new record. False, after a message, when nothing was saved.
    bool save();

    // True when the values differ from the record as it was opened or
    // started: typing not saved, even after a save that was refused.
    bool changed() const { return values_ != shown_; }
    // Asks whether what was typed and not saved may be dropped (No by
    // default): true when the user agrees.
    bool mayDropChanges();

    bool editing() const { return editing_; }
    // The number proposed for a new record (empty when none is left) or the
    // number of the record open.
    const QString& number() const { return number_; }
    QString value(const QString& field) const;
    void setValue(const QString& field, const QString& text);
    // The numbers of the records added since the form was made, in order.
    const QStringList& added() const { return added_; }

    // Prints the barcode labels of the records added, as the label-sheet job
    // prints a list of numbers.
    void printLabels(const Progress& progress);

  private:
    QString path() const;
    // A message in a box captioned as every box of the program.
    void tell(Icon icon, const QString& text);
    // The values to write, trimmed and dates written as the program writes
    // them; none, after a message, when a value is refused.
    std::optional<RecordView::FieldTexts> checkedValues();
    bool saveNew(const RecordView::FieldTexts& values);
    bool saveEdit(const RecordView::FieldTexts& values);
    void showRecord(const RecordView& view);

    AppContext& ctx_;
    const FormDefinition& definition_;
    QString number_;
    bool editing_ = false;
    // In the order of the form's fields: what the form holds, and what the
    // file held when the record was opened (empty for a new record).
    RecordView::FieldTexts values_;
    RecordView::FieldTexts read_;
    // The values as the record was opened or started, before any typing.
    RecordView::FieldTexts shown_;
    QStringList added_;
};

} // namespace karvel
