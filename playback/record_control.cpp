#include "playback/record_control.h"

#include "base/message_box.h"
#include "base/qt_strings.h"
#include "playback/mediaplayer.h"
#include "playback/save_file_chooser.h"
#include "resources/resource.h"
#include "skin/skin_button.h"

namespace vantrel {

CRecordControl::CRecordControl(CSkinBaseButton& button, CMediaplayer& player) : m_button(button), m_player(player) {}

CRecordControl::~CRecordControl() {
  // The workers post to this object: they must be gone before it is.
  if (!m_closing) StopAllCaptures();
}

void CRecordControl::OnRecord() {
  if (m_closing) return;
  if (m_recording) {
    // The click has already switched the button off.
    m_workers.Stop(ToU16(m_url));
    m_recording = false;
    return;
  }
  const QString file = ChooseRecordingFile();
  // The dialog runs its own event loop: the window may have been closed meanwhile.
  if (m_closing) return;
  if (file.isEmpty()) {
    m_recording = false;
    m_button.SetToggleState(false);
    return;
  }
  m_file = file;
  m_url = m_player.GetURL();
  const uint64_t attempt = ++m_attempt;
  // The recording asks for the stream as the player does.
  m_workers.Start(
      ToU16(m_url), ToU16(m_file),
      [this, attempt](int32_t result) {
        if (result >= 0) return;  // 1, already recording this address, counts as success
        QMetaObject::invokeMethod(this, [this, attempt] { OnStartFailed(attempt); }, Qt::QueuedConnection);
      },
      CaptureHeaders{ToU16(m_player.UserAgent()), ToU16(m_player.Referrer())});
  m_recording = true;
}

void CRecordControl::OnStartFailed(uint64_t attempt) {
  // A close cancels a start still connecting; that is no failure to tell.
  if (m_closing) return;
  if (attempt == m_attempt) {
    m_recording = false;
    m_button.setEnabled(false);
    m_button.SetToggleState(false);
  }
  ShowSkinnedMessage(ResString(res::IDS_RECORD_UNSUPPORTED));
}

void CRecordControl::StopAllCaptures() {
  m_closing = true;
  m_workers.StopAll();
}

}  // namespace vantrel
