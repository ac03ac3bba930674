#include "printing/sheet_window.h"

#include "desk/app_context.h"

#include "platform/centre_window.h"
#include "platform/print_preview.h"
#include "platform/progress_gauge.h"
#include "platform/window_frame.h"
#include "printing/layout_window.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace karvel {

SheetWindow::SheetWindow(AppContext& ctx, LayoutWindow& layoutWindow, const SheetWindowTexts& texts,
                         QWidget* parent)
    : QWidget(parent, Qt::Window), ctx_(ctx), layoutWindow_(layoutWindow) {
    setObjectName(texts.objectName);
    setWindowTitle(texts.title);

    auto named = [](auto* widget, const char* name) {
        widget->setObjectName(QString::fromUtf8(name));
        return widget;
    };

    seriesOption = named(new QRadioButton(texts.seriesChoice, this), "Option2index0");
    seriesOption->setToolTip(texts.seriesChoiceTip);
    listOption = named(new QRadioButton(texts.listChoice, this), "Option2index1");
    listOption->setToolTip(texts.listChoiceTip);
    // Its own group: the kinds above are another choice.
    numberChoiceGroup = new QButtonGroup(this);
    numberChoiceGroup->addButton(seriesOption, int(NumberChoice::Series));
    numberChoiceGroup->addButton(listOption, int(NumberChoice::List));
    connect(seriesOption, &QRadioButton::clicked, this,
            [this] { chooseNumbers(NumberChoice::Series); });
    connect(listOption, &QRadioButton::clicked, this,
            [this] { chooseNumbers(NumberChoice::List); });

    seriesFrame = named(new QGroupBox(texts.seriesFrame, this), "Frame2");
    auto* seriesForm = new QFormLayout(seriesFrame);
    startLabel = named(new QLabel(texts.startLabel, seriesFrame), "Label1");
    endLabel = named(new QLabel(texts.endLabel, seriesFrame), "Label2");
    seriesStartField = named(new QLineEdit(seriesFrame), "Text1");
    seriesEndField = named(new QLineEdit(seriesFrame), "Text2");
    seriesForm->addRow(startLabel, seriesStartField);
    seriesForm->addRow(endLabel, seriesEndField);

    listFrame = named(new QGroupBox(texts.listFrame, this), "Frame3");
    auto* listLayout = new QVBoxLayout(listFrame);
    listField = named(new QLineEdit(listFrame), "Text7");
    exampleHint = named(new QLabel(QStringLiteral("exemple : 17-35-125-412"), listFrame), "Label3");
    separatorHint = named(new QLabel(QStringLiteral("séparateur :  - ou /"), listFrame), "Label4");
    listLayout->addWidget(listField);
    auto* hints = new QHBoxLayout;
    hints->addWidget(exampleHint);
    hints->addStretch();
    hints->addWidget(separatorHint);
    listLayout->addLayout(hints);

    firstLabelCaption =
        named(new QLabel(QStringLiteral("Commencer à l'étiquette n°"), this), "firstLabelCaption");
    firstLabel = named(new QSpinBox(this), "firstLabel");
    // The checks of a job say what the largest is: it depends on the layout.
    firstLabel->setRange(1, 999);
    firstLabel->setToolTip(QStringLiteral(
        "1 = l'étiquette en haut à gauche ; pour finir une feuille déjà entamée, indiquez la première étiquette encore libre"));
    firstLabelCaption->setBuddy(firstLabel);

    gaugeBar = named(new QProgressBar(this), "thermomètre");
    gaugeBar->setRange(0, 100);
    gaugeBar->setValue(0);

    printButton = named(new QPushButton(texts.printButton, this), "SSCommand1");
    if (!texts.printTip.isEmpty())
        printButton->setToolTip(texts.printTip);
    connect(printButton, &QPushButton::clicked, this, [this] { print(); });
    quitButton = named(new QPushButton(QStringLiteral("&Quitter"), this), "SSCommand2");
    quitButton->setToolTip(QStringLiteral("Cliquez pour quitter"));
    connect(quitButton, &QPushButton::clicked, this, &QWidget::hide);
    layoutButton =
        named(new QPushButton(QStringLiteral("&Marges et Mise en page"), this), "SSCommand3");
    layoutButton->setToolTip(QStringLiteral("Cliquez pour modifier les marges et la mise en page"));
    connect(layoutButton, &QPushButton::clicked, this, [this] { BringUp(ctx_, layoutWindow_); });
    previewButton = named(new QPushButton(QStringLiteral("&Aperçu"), this), "SSCommand4");
    previewButton->setToolTip(QStringLiteral("Cliquez pour voir les pages avant de les imprimer"));
    connect(previewButton, &QPushButton::clicked, this,
            [this] { ShowPrintPreview(ctx_, this, [this] { print(); }); });

    seriesOption->setChecked(true);
    chooseNumbers(NumberChoice::Series);
}

void SheetWindow::finishLayout(QWidget* kinds) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kinds);
    layout->addWidget(seriesOption);
    layout->addWidget(seriesFrame);
    layout->addWidget(listOption);
    layout->addWidget(listFrame);
    auto* start = new QHBoxLayout;
    start->addWidget(firstLabelCaption);
    start->addWidget(firstLabel);
    start->addStretch();
    layout->addLayout(start);
    layout->addWidget(gaugeBar);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(printButton);
    buttons->addWidget(previewButton);
    buttons->addWidget(layoutButton);
    buttons->addStretch();
    buttons->addWidget(quitButton);
    layout->addLayout(buttons);
    adjustSize();
    CentreWindow(*this);
}

NumberChoice SheetWindow::numberChoice() const {
    return listOption->isChecked() ? NumberChoice::List : NumberChoice::Series;
}

void SheetWindow::chooseNumbers(NumberChoice choice) {
    const bool series = choice == NumberChoice::Series;
    for (QWidget* w : std::initializer_list<QWidget*>{seriesFrame, startLabel, endLabel,
                                                      seriesStartField, seriesEndField})
        w->setEnabled(series);
    for (QWidget* w :
         std::initializer_list<QWidget*>{listFrame, exampleHint, separatorHint, listField})
        w->setEnabled(!series);
}

Progress SheetWindow::gauge() {
    return PaintedGauge(*gaugeBar);
}

} // namespace karvel
