// The record button and the stop of every capture when the window closes.
#include "app/vantrel_dlg.h"

namespace vantrel {

void CVantrelDlg::OnRecord() { m_recorder.OnRecord(); }

// Called by every way of closing, before the dialog ends: a recording left running would have
// no index.
void CVantrelDlg::StopAllCaptures() { m_recorder.StopAllCaptures(); }

void CVantrelDlg::RecordProgramme(const CChannel& channel, const QDateTime& start,
                                  const QDateTime& stop, const QString& title) {
  // Timed recordings are not there yet.
  (void)channel;
  (void)start;
  (void)stop;
  (void)title;
}

}  // namespace vantrel
