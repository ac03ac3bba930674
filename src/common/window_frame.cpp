#include "common/window_frame.h"

#include "common/app_context.h"

#include <QWidget>

namespace karvel {

void BringUp(const AppContext& ctx, QWidget& window) {
    if (ctx.frame)
        return ctx.frame->bringUp(window);
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace karvel
