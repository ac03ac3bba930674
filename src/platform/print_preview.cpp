#include "platform/print_preview.h"

#include "platform/centre_window.h"
#include "platform/preview_printer.h"
#include "platform/qt_printer.h"
#include "platform/services.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace karvel {

void PaintPreview(Services& ctx, QPrinter& sheets, const std::function<void()>& job) {
    PreviewPrinter preview(sheets, ctx.printer);
    const RoutedPrinter::Detour detour(ctx.printer, preview);
    job();
}

void ShowPrintPreview(Services& ctx, QWidget* parent, const std::function<void()>& job) {
    const std::unique_ptr<QPrinter> sheets = makePreviewDevice();
    QDialog window(parent);
    window.setObjectName(QStringLiteral("Apercu"));
    window.setWindowTitle(QStringLiteral("KarVel - Aperçu avant impression"));
    auto* pages = new QPrintPreviewWidget(sheets.get(), &window);
    pages->setObjectName(QStringLiteral("pages"));
    QObject::connect(pages, &QPrintPreviewWidget::paintRequested, &window,
                     [&](QPrinter* printer) { PaintPreview(ctx, *printer, job); });
    // The pages are made now, once: the job's questions come before the
    // window, and nothing in the window asks for the pages again.
    pages->updatePreview();
    if (pages->pageCount() == 0)
        return;

    auto button = [&](const char* name, const QString& caption, const QString& tip) {
        auto* b = new QPushButton(caption, &window);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(tip);
        // Enter answers nothing: a barcode reader's Enter must not print.
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* print = button("Imprimer", QStringLiteral("&Imprimer"),
                                QStringLiteral("Cliquez pour imprimer ces pages"));
    QPushButton* zoomIn = button("ZoomPlus", QStringLiteral("Zoom &+"),
                                 QStringLiteral("Cliquez pour agrandir les pages"));
    QPushButton* zoomOut = button("ZoomMoins", QStringLiteral("Zoom &-"),
                                  QStringLiteral("Cliquez pour réduire les pages"));
    QPushButton* close = button("Fermer", QStringLiteral("&Fermer"),
                                QStringLiteral("Cliquez pour fermer l'aperçu sans imprimer"));
    QObject::connect(print, &QPushButton::clicked, &window, &QDialog::accept);
    QObject::connect(zoomIn, &QPushButton::clicked, pages, [pages] { pages->zoomIn(); });
    QObject::connect(zoomOut, &QPushButton::clicked, pages, [pages] { pages->zoomOut(); });
    QObject::connect(close, &QPushButton::clicked, &window, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(print);
    buttons->addStretch();
    buttons->addWidget(zoomIn);
    buttons->addWidget(zoomOut);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(pages);
    layout->addLayout(buttons);
    window.resize(800, 900);
    CentreWindow(window);

    if (ctx.dialogs.runKeepingReadings([&] { return window.exec(); }) == QDialog::Accepted)
        job();
}

} // namespace karvel
