#include "platform/window_frame.h"

#include "platform/services.h"

#include <QWidget>

namespace karvel {

void BringUp(const Services& ctx, QWidget& window) {
    if (ctx.frame)
        return ctx.frame->bringUp(window);
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace karvel
