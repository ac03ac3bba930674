#pragma once
// Form4: a document chosen by hand from the catalogue, as its label would
// give it. The list is filled once and kept while the program runs; typing
// in the search field above it narrows it to the titles and authors that
// hold the text typed.

#include <QWidget>
#include <functional>

class QLineEdit;
class QListView;

namespace karvel {

struct AppContext;
class DocumentList;

class DocumentChoiceWindow : public QWidget {
    Q_OBJECT
  public:
    // `read` puts a reading into the desk's reading field and interprets it.
    DocumentChoiceWindow(AppContext& ctx, std::function<void(const QString&)> read,
                         QWidget* parent = nullptr);

    // False until the catalogue has been listed (and while it lists nothing).
    bool hasLines() const;
    // Lists the whole catalogue. Database failures are thrown.
    void listAll();
    void showList();

  private:
    void search(const QString& text);
    void accept();

    AppContext& ctx_;
    std::function<void(const QString&)> read_;
    DocumentList* lines_;
    QLineEdit* searchField;  // Text1
    QListView* documentList; // List2
};

} // namespace karvel
