#pragma once
// CRecordControl: what the record button does. A click while nothing records asks for a file
// and starts capturing the address the player has loaded; a click while recording stops it.
// The library calls run on worker threads (CaptureWorkers); the button, the flag and the
// messages are handled on the UI thread only.
//
//   idle --click--> choosing a file --cancel--> idle (button off)
//                                   --confirm--> starting --fails--> idle, button off and
//                                                disabled, message 162 once
//                                                --runs--> recording --click--> idle
//
// After a failed start the button stays disabled until the player next reports playing (the
// window's play-state handler enables it then). Closing the window stops every capture.
#include <QObject>
#include <QString>
#include <cstdint>

#include "playback/capture_workers.h"

namespace vantrel {

class CMediaplayer;
class CSkinBaseButton;

class CRecordControl : public QObject {
  Q_OBJECT

 public:
  // `button` is the toggle button whose click flips its state before OnRecord is called;
  // `player` gives the address to record. Both must outlive this object.
  CRecordControl(CSkinBaseButton& button, CMediaplayer& player);
  // Stops every capture if StopAllCaptures has not, and waits for the workers.
  ~CRecordControl() override;

  // The record command.
  void OnRecord();
  // The window is closing: every capture of the library is stopped before this returns, a
  // start still connecting is cancelled without a message, and the control takes no more
  // commands.
  void StopAllCaptures();

  // True from the moment a recording was asked for until it is stopped or its start failed.
  bool IsRecording() const { return m_recording; }
  // The address and the file of the current or last recording.
  const QString& RecordingUrl() const { return m_url; }
  const QString& RecordingFile() const { return m_file; }
  // Some start or stop has not yet returned from the library.
  bool HasPendingWork() const { return !m_workers.Idle(); }

 private:
  void OnStartFailed(uint64_t attempt);

  CSkinBaseButton& m_button;
  CMediaplayer& m_player;
  bool m_recording = false;
  bool m_closing = false;
  QString m_url;
  QString m_file;
  uint64_t m_attempt = 0;  // counts the starts, so a late failure never resets a newer one
  CaptureWorkers m_workers;
};

}  // namespace vantrel
