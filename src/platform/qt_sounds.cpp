#include "platform/qt_sounds.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSettings>
#include <QSoundEffect>
#include <array>

namespace karvel {

namespace {

// In the user's settings, never in the school's files.
constexpr QLatin1String kEnabledKey("desk/sounds");

struct SoundFile {
    Sound sound;
    const char* name;
};

constexpr std::array<SoundFile, 3> kSoundFiles{{
    {Sound::Recorded, "recorded"},
    {Sound::Refused, "refused"},
    {Sound::Waiting, "waiting"},
}};

} // namespace

QtSounds::QtSounds() : enabled_(QSettings().value(kEnabledKey, true).toBool()) {
    // Without an output (no sound server on the machine) Qt would complain
    // about each sound it loads; the desk does without.
    if (QMediaDevices::audioOutputs().isEmpty())
        return;
    for (const SoundFile& file : kSoundFiles) {
        auto effect = std::make_unique<QSoundEffect>();
        effect->setSource(source(file.sound));
        effects_.emplace(file.sound, std::move(effect));
    }
}

QtSounds::~QtSounds() = default;

void QtSounds::play(Sound sound) {
    if (!enabled_)
        return;
    // A sound still playing starts again: each reading is heard.
    if (const auto found = effects_.find(sound); found != effects_.end())
        found->second->play();
}

void QtSounds::setEnabled(bool enabled) {
    enabled_ = enabled;
    QSettings().setValue(kEnabledKey, enabled);
}

QUrl QtSounds::source(Sound sound) {
    for (const SoundFile& file : kSoundFiles) {
        if (file.sound == sound)
            return QUrl(QStringLiteral("qrc:/sounds/%1.wav").arg(QLatin1String(file.name)));
    }
    return {};
}

} // namespace karvel
