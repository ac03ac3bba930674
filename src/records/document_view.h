#pragma once
// The document view `Fichedocument` (table vok): a record view that keeps
// the loan state code in upper case and the loan-duration caption up to date.

#include "records/record_view.h"

#include <QDate>
#include <optional>

namespace karvel {

class Clock;

class DocumentView final : public RecordView {
  public:
    DocumentView(QString name, QString linkName, const Clock& clock);

    // The days the current document has been out ("3 jours"), or empty.
    const QString& caption() const { return caption_; }
    void clearCaption() { caption_.clear(); }

    // What a loan, a return or a stocktaking mark of the current document is
    // decided on: its loan state, who holds it, and its count of loans (a
    // loan and a return made meanwhile leave the state as it was, not the count).
    FieldTexts loanState() const;

  protected:
    void fieldChanged(const QString& name) override;

  private:
    void showDuration();

    const Clock& clock_;
    QString caption_;
};

// A date written day first ("07/03/2011", "7-3-11"), if the text is one.
std::optional<QDate> parseDayFirstDate(const QString& text);
// "0 jour", "1 jour", "12 jours", "-3 jour": the duration text of a number of days.
QString loanDurationText(qint64 days);

} // namespace karvel
