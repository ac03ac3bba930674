#pragma once
// Form3: a borrower chosen by hand from the class lists, as the borrower's
// card would give it.

#include <QStringList>
#include <QWidget>
#include <functional>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace karvel {

struct AppContext;

class BorrowerChoiceWindow : public QWidget {
    Q_OBJECT
  public:
    // `read` puts a reading into the desk's reading field and interprets it.
    BorrowerChoiceWindow(AppContext& ctx, std::function<void(const QString&)> read,
                         QWidget* parent = nullptr);

    // Replaces the class list; the borrower list stays as it was.
    void setClasses(const QStringList& classLines);

  private:
    void listBorrowers(int classRow);
    void search(const QString& text);
    void accept();

    AppContext& ctx_;
    std::function<void(const QString&)> read_;
    // The kind of the borrowers listed, which gives the prefix of a reading.
    QString category_;
    QListWidget* classList;    // List1
    QListWidget* borrowerList; // List2
    QLineEdit* searchField;    // Text1
    QPushButton* acceptButton; // SSCommand1
    QPushButton* quitButton;   // SSCommand2
};

} // namespace karvel
