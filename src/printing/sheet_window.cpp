#include "printing/sheet_window.h"

#include "desk/app_context.h"

#include "platform/centre_window.h"
#include "platform/print_preview.h"
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

    Option2index0 = named(new QRadioButton(texts.seriesChoice, this), "Option2index0");
    Option2index0->setToolTip(texts.seriesChoiceTip);
    Option2index1 = named(new QRadioButton(texts.listChoice, this), "Option2index1");
    Option2index1->setToolTip(texts.listChoiceTip);
    // Its own group: the kinds above are another choice.
    Option2 = new QButtonGroup(this);
    Option2->addButton(Option2index0, int(NumberChoice::Series));
    Option2->addButton(Option2index1, int(NumberChoice::List));
    connect(Option2index0, &QRadioButton::clicked, this,
            [this] { chooseNumbers(NumberChoice::Series); });
    connect(Option2index1, &QRadioButton::clicked, this,
            [this] { chooseNumbers(NumberChoice::List); });

    seriesFrame = named(new QGroupBox(texts.seriesFrame, this), "Frame2");
    auto* seriesForm = new QFormLayout(seriesFrame);
    startLabel = named(new QLabel(texts.startLabel, seriesFrame), "Label1");
    endLabel = named(new QLabel(texts.endLabel, seriesFrame), "Label2");
    Text1 = named(new QLineEdit(seriesFrame), "Text1");
    Text2 = named(new QLineEdit(seriesFrame), "Text2");
    seriesForm->addRow(startLabel, Text1);
    seriesForm->addRow(endLabel, Text2);

    listFrame = named(new QGroupBox(texts.listFrame, this), "Frame3");
    auto* listLayout = new QVBoxLayout(listFrame);
    Text7 = named(new QLineEdit(listFrame), "Text7");
    exampleHint = named(new QLabel(QStringLiteral("exemple : 17-35-125-412"), listFrame), "Label3");
    separatorHint = named(new QLabel(QStringLiteral("séparateur :  - ou /"), listFrame), "Label4");
    listLayout->addWidget(Text7);
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

    thermomètre = named(new QProgressBar(this), "thermomètre");
    thermomètre->setRange(0, 100);
    thermomètre->setValue(0);

    SSCommand1 = named(new QPushButton(texts.printButton, this), "SSCommand1");
    if (!texts.printTip.isEmpty())
        SSCommand1->setToolTip(texts.printTip);
    connect(SSCommand1, &QPushButton::clicked, this, [this] { print(); });
    SSCommand2 = named(new QPushButton(QStringLiteral("&Quitter"), this), "SSCommand2");
    SSCommand2->setToolTip(QStringLiteral("Cliquez pour quitter"));
    connect(SSCommand2, &QPushButton::clicked, this, &QWidget::hide);
    SSCommand3 =
        named(new QPushButton(QStringLiteral("&Marges et Mise en page"), this), "SSCommand3");
    SSCommand3->setToolTip(QStringLiteral("Cliquez pour modifier les marges et la mise en page"));
    connect(SSCommand3, &QPushButton::clicked, this, [this] { BringUp(ctx_, layoutWindow_); });
    SSCommand4 = named(new QPushButton(QStringLiteral("&Aperçu"), this), "SSCommand4");
    SSCommand4->setToolTip(QStringLiteral("Cliquez pour voir les pages avant de les imprimer"));
    connect(SSCommand4, &QPushButton::clicked, this,
            [this] { ShowPrintPreview(ctx_, this, [this] { print(); }); });

    Option2index0->setChecked(true);
    chooseNumbers(NumberChoice::Series);
}

void SheetWindow::finishLayout(QWidget* kinds) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kinds);
    layout->addWidget(Option2index0);
    layout->addWidget(seriesFrame);
    layout->addWidget(Option2index1);
    layout->addWidget(listFrame);
    auto* start = new QHBoxLayout;
    start->addWidget(firstLabelCaption);
    start->addWidget(firstLabel);
    start->addStretch();
    layout->addLayout(start);
    layout->addWidget(thermomètre);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(SSCommand1);
    buttons->addWidget(SSCommand4);
    buttons->addWidget(SSCommand3);
    buttons->addStretch();
    buttons->addWidget(SSCommand2);
    layout->addLayout(buttons);
    adjustSize();
    CentreWindow(*this);
}

NumberChoice SheetWindow::numberChoice() const {
    return Option2index1->isChecked() ? NumberChoice::List : NumberChoice::Series;
}

void SheetWindow::chooseNumbers(NumberChoice choice) {
    const bool series = choice == NumberChoice::Series;
    for (QWidget* w :
         std::initializer_list<QWidget*>{seriesFrame, startLabel, endLabel, Text1, Text2})
        w->setEnabled(series);
    for (QWidget* w : std::initializer_list<QWidget*>{listFrame, exampleHint, separatorHint, Text7})
        w->setEnabled(!series);
}

Progress SheetWindow::gauge() {
    return [this](int percent) {
        // Most labels leave the percentage as it was, and a repaint costs
        // more than drawing the label.
        if (percent == thermomètre->value())
            return;
        thermomètre->setValue(percent);
        // The job holds the event loop: the gauge is painted now or not at all.
        thermomètre->repaint();
    };
}

} // namespace karvel
