#pragma once
// Short sounds that tell a pupil at the desk what became of a reading without
// looking at the screen. The Qt version plays the program's own sound files;
// tests keep what was played.

namespace karvel {

enum class Sound {
    Recorded, // a loan or a return was saved
    Refused,  // the desk refused the reading
    Waiting,  // a reading was kept while a box waits for a person
};

class Sounds {
  public:
    virtual ~Sounds() = default;
    // Plays at once and returns; does nothing while the sounds are off.
    virtual void play(Sound sound) = 0;
};

} // namespace karvel
