#pragma once
// Sounds that keep what the desk asked to play, in order.

#include "platform/sounds.h"

#include <vector>

namespace karvel::test {

struct RecordingSounds final : Sounds {
    std::vector<Sound> played;
    void play(Sound s) override { played.push_back(s); }
};

} // namespace karvel::test
