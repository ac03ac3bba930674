// The desk's sounds: the user's choice to hear them, and the sound files the
// program carries.

#include "platform/qt_sounds.h"
#include "user_settings.h"

#include <QFile>
#include <QSettings>
#include <QSoundEffect>
#include <QTest>
#include <QtEndian>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>

using namespace karvel;

namespace {

TEST(QtSoundsTest, OnByDefaultAndTheChoiceIsKeptForTheNextRun) {
    test::UserSettingsFolder settings;
    EXPECT_TRUE(QtSounds().enabled());

    QtSounds().setEnabled(false);
    EXPECT_FALSE(QtSounds().enabled());
    // Written out to the user's own file, not only kept by Qt in memory.
    QFile file(QSettings().fileName());
    EXPECT_TRUE(file.fileName().startsWith(settings.path()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("[desk]\nsounds=false"));

    QtSounds sounds;
    sounds.setEnabled(true);
    EXPECT_TRUE(QtSounds().enabled());
}

// A RIFF/WAVE file as scripts/make-sounds.sh writes it: plain PCM, a format
// chunk then the data.
struct Wave {
    int format = 0, channels = 0, rate = 0, bits = 0;
    QByteArray samples;
};

Wave readWave(const QByteArray& file) {
    Wave wave;
    if (file.size() < 44 || !file.startsWith("RIFF") || file.mid(8, 8) != "WAVEfmt " ||
        qFromLittleEndian<quint32>(file.constData() + 4) != quint32(file.size() - 8) ||
        file.mid(36, 4) != "data")
        return wave;
    const char* fmt = file.constData() + 20;
    wave.format = qFromLittleEndian<quint16>(fmt);
    wave.channels = qFromLittleEndian<quint16>(fmt + 2);
    wave.rate = int(qFromLittleEndian<quint32>(fmt + 4));
    wave.bits = qFromLittleEndian<quint16>(fmt + 14);
    wave.samples = file.mid(44, qFromLittleEndian<quint32>(file.constData() + 40));
    return wave;
}

qint16 sampleAt(const Wave& wave, qsizetype i) {
    return qFromLittleEndian<qint16>(wave.samples.constData() + 2 * i);
}

qsizetype sampleCount(const Wave& wave) {
    return wave.samples.size() / 2;
}

// Up to the last sample louder than 1% of full scale.
int audibleMs(const Wave& wave) {
    qsizetype end = sampleCount(wave);
    while (end > 0 && std::abs(sampleAt(wave, end - 1)) <= 327)
        --end;
    return int(end * 1000 / wave.rate);
}

// Times the signal goes from below zero to above, per second: twice the pitch
// at most, near the pitch for a plain tone.
double risingCrossingsPerSecond(const Wave& wave) {
    int crossings = 0;
    for (qsizetype i = 1; i < sampleCount(wave); ++i)
        crossings += sampleAt(wave, i - 1) < 0 && sampleAt(wave, i) >= 0;
    return crossings * double(wave.rate) / double(sampleCount(wave));
}

TEST(QtSoundsTest, EachSoundIsAShortWaveOfItsOwn) {
    struct Row {
        Sound sound;
        int shortestMs, longestMs;
    };
    std::map<Sound, Wave> waves;
    for (const Row& row : {Row{Sound::Recorded, 100, 200}, Row{Sound::Refused, 200, 300},
                           Row{Sound::Waiting, 20, 100}}) {
        SCOPED_TRACE(QtSounds::source(row.sound).toString().toStdString());
        QFile file(QLatin1Char(':') + QtSounds::source(row.sound).path());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_LT(bytes.size(), 30 * 1024);
        const Wave wave = readWave(bytes);
        EXPECT_EQ(wave.format, 1); // PCM
        EXPECT_EQ(wave.channels, 1);
        EXPECT_EQ(wave.rate, 22050);
        ASSERT_EQ(wave.bits, 16);
        const int heard = audibleMs(wave);
        EXPECT_GE(heard, row.shortestMs);
        EXPECT_LE(heard, row.longestMs);
        // Silence to spare: Qt 6.4 on PulseAudio drops up to 130 ms or so at the end.
        EXPECT_GE(sampleCount(wave) * 1000 / wave.rate - heard, 150);
        waves[row.sound] = wave;
    }
    // A refusal is heard as lower than a loan or a return, not as the same beep.
    EXPECT_LT(risingCrossingsPerSecond(waves[Sound::Refused]) * 2,
              risingCrossingsPerSecond(waves[Sound::Recorded]));
}

TEST(QtSoundsTest, QtLoadsEachSound) {
    for (Sound sound : {Sound::Recorded, Sound::Refused, Sound::Waiting}) {
        QSoundEffect effect;
        effect.setSource(QtSounds::source(sound));
        EXPECT_TRUE(QTest::qWaitFor([&] { return effect.status() != QSoundEffect::Loading; }));
        EXPECT_EQ(effect.status(), QSoundEffect::Ready) << effect.source().toString().toStdString();
    }
}

} // namespace
