#pragma once
// Form4's list: the catalogue in inventory order, one line a document
// ("inventaire - titre - auteur"), or the documents whose title or author
// holds a searched text. It keeps only the documents' row identifiers; a
// line is read through the document view when it is drawn, a block of lines
// in one read transaction, and the last few blocks are kept. A catalogue of
// a million documents opens in the time of one screenful.

#include <QAbstractListModel>
#include <QStringList>
#include <deque>
#include <map>
#include <vector>

namespace karvel {

class RecordView;

class DocumentList : public QAbstractListModel {
  public:
    // True for a document on loan, whose line is marked.
    static constexpr int OnLoanRole = Qt::UserRole + 1;

    explicit DocumentList(RecordView& documents, QObject* parent = nullptr);

    // Lists every document, or with a search text those whose title or
    // author holds it, case and accents aside. Database failures are thrown.
    void fill(const QString& search = QString());

    // The line of `row` read now, from that record alone (what a choice
    // reads); empty when the document is gone. Database failures are thrown.
    QString readLine(int row);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    struct Line {
        QString text;
        bool onLoan = false;
    };
    Line lineOf(qint64 row) const;
    // The block of lines holding `row`, read if it is not kept.
    const std::vector<Line>* block(int row) const;

    RecordView& documents_;
    std::vector<qint64> rows_;
    mutable std::map<int, std::vector<Line>> blocks_;
    // Block numbers, the oldest read first.
    mutable std::deque<int> blockOrder_;
};

} // namespace karvel
