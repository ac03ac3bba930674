#pragma once
// "Documents en retard": the overdue list grouped by class, with buttons to
// print it for the teachers and to export it for a spreadsheet.

#include "desk/overdue_list.h"

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace karvel {

class OverdueWindow : public QWidget {
    Q_OBJECT
  public:
    // Asks where to write the spreadsheet, offering `suggested`; empty when
    // the user gives up.
    using PathChooser = std::function<QString(QWidget* parent, const QString& suggested)>;

    // Without a chooser, a file dialog asks.
    explicit OverdueWindow(AppContext& ctx, PathChooser choosePath = {}, QWidget* parent = nullptr);

    const OverdueList& list() const { return list_; }
    // Reads the list again and shows it.
    void refresh();

  protected:
    // The list is read afresh each time the window shows.
    void showEvent(QShowEvent* event) override;

  private:
    void display(const OverdueList& list);
    void exportCsv();

    AppContext& ctx_;
    PathChooser choosePath_;
    OverdueList list_;
    QLabel* summaryLabel;       // Label1
    QTreeWidget* overdueTree;   // List1
    QPushButton* printButton;   // SSCommand1
    QPushButton* exportButton;  // SSCommand2
    QPushButton* refreshButton; // SSCommand3
    QPushButton* quitButton;    // SSCommand4
};

} // namespace karvel
