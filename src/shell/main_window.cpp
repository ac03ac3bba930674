#include "shell/main_window.h"

#include "catalogue/record_form_window.h"
#include "desk/app_context.h"
#include "desk/loan_desk_window.h"
#include "desk/overdue_window.h"
#include "desk/stocktaking.h"
#include "platform/centre_window.h"
#include "platform/qt_sounds.h"
#include "printing/printing_windows.h"
#include "school_year/import_pupils_window.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QShowEvent>

namespace karvel {

namespace {

QMenu* addMenu(QMenuBar* bar, const QString& name, const QString& caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(name);
    return menu;
}

QAction* addEntry(QMenu* menu, const QString& name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

void addSeparator(QMenu* menu, const QString& name) {
    menu->addSeparator()->setObjectName(name);
}

} // namespace

MainWindow::MainWindow(AppContext& ctx, QuitActions quit, QWidget* parent)
    : QMainWindow(parent), ctx_(ctx), endProgram_(quit.endProgram) {
    setObjectName(QStringLiteral("MDIForm1"));
    setWindowTitle(QStringLiteral("La VOK - Gestion des Codes-Barres"));
    // The whole screen from its top-left corner.
    if (const QScreen* screen = this->screen())
        setGeometry(screen->availableGeometry());
    setWindowState(Qt::WindowMaximized);

    frame_ = new QMdiArea(this);
    frame_->setObjectName(QStringLiteral("MDIClient"));
    setCentralWidget(frame_);
    ctx_.frame = this;
    // Whenever the desk comes to the front, what the reader types goes to its reading field.
    connect(frame_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        if (window && window->widget() == loanDeskWindow)
            loanDeskWindow->focusReadingField();
    });

    quitter = new QuitWindow(std::move(quit), this);
    loanDeskWindow = new LoanDeskWindow(ctx_, this);
    buildMenus();
}

MainWindow::~MainWindow() {
    ctx_.frame = nullptr;
    for (QWidget* window : lent_) {
        window->hide();
        window->setParent(nullptr);
    }
}

QMdiSubWindow* MainWindow::hold(QWidget& window) {
    if (auto* held = qobject_cast<QMdiSubWindow*>(window.parentWidget()))
        return held;
    if (!window.parent())
        lent_.push_back(&window);
    const QSize size = window.size();
    // Hidden when it closes, never destroyed: its fields persist until the program ends.
    auto* held = new QMdiSubWindow;
    held->setWidget(&window);
    frame_->addSubWindow(held);
    held->resize(size + held->size() - held->contentsRect().size());
    held->move(centredPosition(QRect(QPoint(0, 0), frame_->viewport()->size()), held->size(),
                               logicalDpiY()));
    return held;
}

void MainWindow::bringUp(QWidget& window) {
    QMdiSubWindow* held = hold(window);
    window.show();
    held->show();
    held->raise();
    frame_->setActiveSubWindow(held);
    activateWindow();
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();

    QMenu* fichier = addMenu(bar, QStringLiteral("menufichierindex0"), QStringLiteral("&Fichier"));
    connect(addEntry(fichier, QStringLiteral("menufichierindex1"), QStringLiteral("&Quitter")),
            &QAction::triggered, this, &MainWindow::showQuitWindow);

    QMenu* gestion =
        addMenu(bar, QStringLiteral("menugestionindex0"), QStringLiteral("&Gestion des prêts"));
    loanDeskEntry = addEntry(gestion, QStringLiteral("menugestionindex1"),
                             QStringLiteral("&Gestion des prêts par lecture des codes-barres"));
    connect(loanDeskEntry, &QAction::triggered, this, &MainWindow::openLoanDesk);
    addSoundsEntry(gestion);
    addSeparator(gestion, QStringLiteral("menugestionindex4"));
    connect(addEntry(gestion, QStringLiteral("menugestionindex5"),
                     QStringLiteral("Documents en &retard")),
            &QAction::triggered, this,
            [this] { showOnce(overdue_, ctx_, OverdueWindow::PathChooser(), this); });
    connect(addEntry(gestion, QStringLiteral("menugestionindex6"),
                     QStringLiteral("&Importer les élèves…")),
            &QAction::triggered, this, [this] { showOnce(importEleves_, ctx_, this); });

    QMenu* edition = addMenu(bar, QStringLiteral("menuéditionindex0"),
                             QStringLiteral("&Edition des Codes-Barres et Cartes"));
    labelSheetsEntry = addEntry(edition, QStringLiteral("menuéditionindex1"),
                                QStringLiteral("Edition des &Codes-barres"));
    addSeparator(edition, QStringLiteral("menuéditionindex2"));
    borrowerCardsEntry = addEntry(edition, QStringLiteral("menuéditionindex3"),
                                  QStringLiteral("Edition des cartes d'&Emprunteurs"));
    addSeparator(edition, QStringLiteral("menuéditionindex4"));
    portraitEntry = addEntry(edition, QStringLiteral("menuéditionindex5"),
                             QStringLiteral("Configuration de l'&Impression : format portrait"));
    landscapeEntry = addEntry(edition, QStringLiteral("menuéditionindex6"),
                              QStringLiteral("Configuration de l'&Impression : format paysage"));
    for (QAction* orientation : {portraitEntry, landscapeEntry})
        orientation->setCheckable(true);
    connect(portraitEntry, &QAction::triggered, this,
            [this] { choosePrinterOrientation(Orientation::Portrait); });
    connect(landscapeEntry, &QAction::triggered, this,
            [this] { choosePrinterOrientation(Orientation::Landscape); });
    addSeparator(edition, QStringLiteral("menuFichesSeparateur"));
    connect(addEntry(edition, QStringLiteral("menuNouveauxDocuments"),
                     QStringLiteral("&Nouveaux documents")),
            &QAction::triggered, this,
            [this] { showOnce(documentsForm_, ctx_, documentForm(), this); });
    connect(addEntry(edition, QStringLiteral("menuNouveauxAdherents"),
                     QStringLiteral("Adhérents e&xtérieurs")),
            &QAction::triggered, this,
            [this] { showOnce(membersForm_, ctx_, memberForm(), this); });

    QMenu* inventaire =
        addMenu(bar, QStringLiteral("menuinventaireindex0"), QStringLiteral("&Inventaire"));
    stocktakingEntry =
        addEntry(inventaire, QStringLiteral("menuinventaireindex1"),
                 QStringLiteral("&Inventaire des documents par lecture des codes-barres"));
    connect(stocktakingEntry, &QAction::triggered, this, &MainWindow::runStocktaking);

    QMenu* aide = addMenu(bar, QStringLiteral("menuaideindex0"), QStringLiteral("&?"));
    connect(addEntry(aide, QStringLiteral("menuaideindex1"), QStringLiteral("&Aide")),
            &QAction::triggered, this, [this] { openDataDocument(DataDocument::Help); });
    addSeparator(aide, QStringLiteral("menuaideindex2"));
    connect(addEntry(aide, QStringLiteral("menuaideindex3"),
                     QStringLiteral("&Informations générales sur les codes-barres")),
            &QAction::triggered, this,
            [this] { openDataDocument(DataDocument::GeneralInformation); });
    addSeparator(aide, QStringLiteral("menuaideindex4"));
    connect(addEntry(aide, QStringLiteral("menuaideindex6"), QStringLiteral("Info &Version")),
            &QAction::triggered, this, [this] { ShowVersionBox(ctx_); });

    for (QAction* later : {labelSheetsEntry, borrowerCardsEntry})
        later->setEnabled(false);

    // A menu closed with Escape leaves the menu bar taking the keys: the
    // next reading would open menus by their letters. Once a menu closes
    // over the desk, the keys go back to its reading field.
    for (QMenu* menu : {fichier, gestion, edition, inventaire, aide})
        connect(menu, &QMenu::aboutToHide, this, [this] {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    const QMdiSubWindow* active = frame_->activeSubWindow();
                    if (active && active->widget() == loanDeskWindow && isActiveWindow())
                        loanDeskWindow->focusReadingField();
                },
                Qt::QueuedConnection);
        });
}

void MainWindow::runStocktaking() {
    ConfirmStocktaking(ctx_);
    // Back to the desk, ready to read, if it was open.
    if (loanDeskWindow->isVisible())
        loanDeskWindow->open();
}

void MainWindow::addSoundsEntry(QMenu* gestion) {
    addSeparator(gestion, QStringLiteral("menugestionindex2"));
    soundsEntry = addEntry(gestion, QStringLiteral("menugestionindex3"),
                           QStringLiteral("&Sons à chaque lecture"));
    soundsEntry->setCheckable(true);
    soundsEntry->setEnabled(false);
}

void MainWindow::usePrintingWindows(PrintingWindows& printing) {
    connect(labelSheetsEntry, &QAction::triggered, this,
            [&printing] { printing.showLabelSheets(); });
    connect(borrowerCardsEntry, &QAction::triggered, this,
            [&printing] { printing.showBorrowerCards(); });
    for (QAction* entry : {labelSheetsEntry, borrowerCardsEntry})
        entry->setEnabled(true);
}

void MainWindow::useSounds(QtSounds& sounds) {
    soundsEntry->setChecked(sounds.enabled());
    soundsEntry->setEnabled(true);
    connect(soundsEntry, &QAction::toggled, this, [&sounds](bool on) { sounds.setEnabled(on); });
}

void MainWindow::showQuitWindow() {
    quitter->show();
    quitter->raise();
    quitter->activateWindow();
}

void MainWindow::openLoanDesk() {
    loanDeskWindow->open();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!loanDeskOpened_) {
        loanDeskOpened_ = true;
        // Once the main window is up: a window system activates what it has
        // just shown, which would take the focus from the reading field.
        QMetaObject::invokeMethod(this, &MainWindow::openLoanDesk, Qt::QueuedConnection);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Whatever asks (title bar, window manager, session ending), the user decides in `quitter`.
    event->ignore();
    showQuitWindow();
}

void MainWindow::choosePrinterOrientation(Orientation orientation) {
    if (AskPrinterOrientation(ctx_, orientation))
        chosenOrientation_ = orientation;
    // Qt has already flipped the entry that was clicked: both marks are set
    // again from what the printer was last set to.
    portraitEntry->setChecked(chosenOrientation_ == Orientation::Portrait);
    landscapeEntry->setChecked(chosenOrientation_ == Orientation::Landscape);
}

void MainWindow::openDataDocument(DataDocument document) {
    if (OpenDataDocument(ctx_, document) == ErrorOutcome::EndProgram)
        endProgram_(1);
}

} // namespace karvel
