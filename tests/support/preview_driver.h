#pragma once
// The preview window answered from inside its modal loop, as a user would.

#include <QApplication>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace karvel::test {

// Once the preview window shows, `look` gets its page count; the button named
// `answer` ("Imprimer" or "Fermer") is then clicked. Gives up after 10 s.
inline void whenPreviewShows(const QString& answer, std::function<void(int pages)> look,
                             int triesLeft = 500) {
    QTimer::singleShot(20, [=] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != "Apercu" || !w->isVisible())
                continue;
            auto* pages = w->findChild<QPrintPreviewWidget*>("pages");
            look(pages ? pages->pageCount() : -1);
            auto* button = w->findChild<QPushButton*>(answer);
            EXPECT_NE(button, nullptr) << answer.toStdString();
            (button ? button : w->findChild<QPushButton*>("Fermer"))->click();
            return;
        }
        if (triesLeft > 0)
            whenPreviewShows(answer, look, triesLeft - 1);
        else
            ADD_FAILURE() << "no preview window";
    });
}

} // namespace karvel::test
