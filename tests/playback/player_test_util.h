#pragma once
// Helpers shared by the player's Qt tests.

#include <QImage>
#include <QList>
#include <QObject>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdlib>

#include "playback/mediaplayer.h"
#include "playback/mpv_engine.h"
#include "tests/support/media_server.h"

namespace vantrel::test {

// Upper bound for anything the engine does; the tests never wait for it to run out.
inline constexpr int kEngineWait = 20000;

// Records what a player reports.
struct PlayerRecorder {
  explicit PlayerRecorder(CMediaplayer& player) {
    QObject::connect(&player, &CMediaplayer::PlayStateChange, &player, [this](int32_t s) { states << s; });
    QObject::connect(&player, &CMediaplayer::FrameRendered, &player, [this] { ++frames; });
  }
  QList<int32_t> states;
  int frames = 0;
};

// Process-wide set-up of a player test: own settings folder, no sound device needed.
inline void PreparePlayerTests(QTemporaryDir& config) {
  QVERIFY(config.isValid());
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  SetAudioOutputForTesting("null");
}

// The video area of a player (the control bar excluded).
inline QWidget* VideoArea(CMediaplayer& player) {
  return player.findChild<QWidget*>("video");
}

inline bool IsDark(const QColor& c) { return c.red() < 16 && c.green() < 16 && c.blue() < 16; }

// Colours of a gradient differ by a step or two between the raster and the GL painter.
inline bool IsNear(const QColor& a, const QColor& b) {
  return std::abs(a.red() - b.red()) <= 3 && std::abs(a.green() - b.green()) <= 3 && std::abs(a.blue() - b.blue()) <= 3;
}

// Whether the picture holds strongly coloured pixels, as the test pattern does.
inline bool HasColour(const QImage& image) {
  for (int y = 0; y < image.height(); y += 4) {
    for (int x = 0; x < image.width(); x += 4) {
      const QColor c = image.pixelColor(x, y);
      if (c.saturation() > 150 && c.value() > 100) return true;
    }
  }
  return false;
}

}  // namespace vantrel::test
