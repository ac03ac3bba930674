#pragma once
// The desk's sounds played by Qt Multimedia. Each sound is loaded when the
// object is made, so that a reading is heard at once. Whether they are on is
// the user's own choice, kept in the user's settings for the next run.

#include "platform/sounds.h"

#include <QUrl>
#include <map>
#include <memory>

class QSoundEffect;

namespace karvel {

class QtSounds final : public Sounds {
  public:
    QtSounds();
    ~QtSounds() override;

    void play(Sound sound) override;

    // On until the user turns them off.
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);

    // The program's own file for a sound.
    static QUrl source(Sound sound);

  private:
    bool enabled_;
    // None when there was no audio output at start: the desk stays silent.
    std::map<Sound, std::unique_ptr<QSoundEffect>> effects_;
};

} // namespace karvel
