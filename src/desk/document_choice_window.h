#pragma once
// Form4: a document chosen by hand from the whole catalogue, as its label
// would give it. The list is built once and kept while the program runs.

#include <QWidget>
#include <functional>

class QListView;
class QStringListModel;

namespace karvel {

class DocumentChoiceWindow : public QWidget {
    Q_OBJECT
  public:
    // `read` puts a reading into the desk's reading field and interprets it.
    explicit DocumentChoiceWindow(std::function<void(const QString&)> read,
                                  QWidget* parent = nullptr);

    bool hasLines() const;
    // Replaces every line at once: a catalogue of a million documents is one
    // model reset, not a million insertions.
    void setLines(const QStringList& lines);
    void showList();

  private:
    void accept();

    std::function<void(const QString&)> read_;
    QStringListModel* lines_;
    QListView* List2;
};

} // namespace karvel
