#pragma once
// The main window is a frame: the windows the program opens live inside it,
// so no click or menu on the main window can put them behind it.

class QWidget;

namespace karvel {

class WindowFrame {
  public:
    virtual ~WindowFrame() = default;
    // Shows `window` inside the frame, in front and active. A window is
    // taken into the frame the first time and stays there, hidden when it
    // closes, never destroyed.
    virtual void bringUp(QWidget& window) = 0;
};

struct Services;

// Shows `window` in front and active: inside the frame when the program has
// one, as a window of its own otherwise.
void BringUp(const Services& ctx, QWidget& window);

} // namespace karvel
