#include "desk/document_list.h"

#include "platform/errors.h"
#include "records/record_view.h"

#include <QBrush>
#include <QColor>
#include <QFont>

namespace karvel {

namespace {

constexpr int kBlockLines = 64;
// A few screenfuls around the one shown.
constexpr size_t kKeptBlocks = 16;

const QStringList kLineFields = {QStringLiteral("inventaire"), QStringLiteral("titre"),
                                 QStringLiteral("auteur"), QStringLiteral("emprunté")};
const QString kSeparator = QStringLiteral(" - ");

} // namespace

DocumentList::DocumentList(RecordView& documents, QObject* parent)
    : QAbstractListModel(parent), documents_(documents) {}

void DocumentList::fill(const QString& search) {
    documents_.query(search.isEmpty() ? Queries::allDocuments()
                                      : Queries::documentsMatching(search));
    beginResetModel();
    rows_ = documents_.rowIds();
    blocks_.clear();
    blockOrder_.clear();
    endResetModel();
}

DocumentList::Line DocumentList::lineOf(qint64 row) const {
    const QStringList texts = documents_.peek(row, kLineFields);
    if (texts.isEmpty())
        return {};
    return {texts[0] + kSeparator + texts[1] + kSeparator + texts[2],
            texts[3].compare(QStringLiteral("O"), Qt::CaseInsensitive) == 0};
}

QString DocumentList::readLine(int row) {
    if (row < 0 || size_t(row) >= rows_.size())
        return QString();
    return lineOf(rows_[size_t(row)]).text;
}

const std::vector<DocumentList::Line>* DocumentList::block(int row) const {
    const int number = row / kBlockLines;
    const auto kept = blocks_.find(number);
    if (kept != blocks_.end())
        return &kept->second;
    // A view closed before the backups is not opened again to draw a line.
    if (!documents_.isOpen())
        return nullptr;
    std::vector<Line> lines;
    try {
        const RecordView::Walk walk(documents_);
        const size_t end = qMin(rows_.size(), size_t(number + 1) * kBlockLines);
        for (size_t i = size_t(number) * kBlockLines; i < end; ++i)
            lines.push_back(lineOf(rows_[i]));
    } catch (const KarvelError&) {
        // Drawn blank, and read again when next drawn.
        return nullptr;
    }
    if (blockOrder_.size() >= kKeptBlocks) {
        blocks_.erase(blockOrder_.front());
        blockOrder_.pop_front();
    }
    blockOrder_.push_back(number);
    return &blocks_.emplace(number, std::move(lines)).first->second;
}

int DocumentList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant DocumentList::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    if (role != Qt::DisplayRole && role != OnLoanRole && role != Qt::ForegroundRole &&
        role != Qt::FontRole && role != Qt::ToolTipRole)
        return QVariant();
    const std::vector<Line>* lines = block(index.row());
    if (!lines)
        return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    const Line& line = (*lines)[size_t(index.row() % kBlockLines)];
    switch (role) {
    case Qt::DisplayRole:
        return line.text;
    case OnLoanRole:
        return line.onLoan;
    case Qt::ForegroundRole:
        return line.onLoan ? QVariant(QBrush(QColor(0x9c, 0x1c, 0x1c))) : QVariant();
    case Qt::FontRole: {
        if (!line.onLoan)
            return QVariant();
        QFont font;
        font.setItalic(true);
        return font;
    }
    default:
        return line.onLoan ? QVariant(QStringLiteral("Document en prêt")) : QVariant();
    }
}

} // namespace karvel
