// The update checks are wired here; their flows replace these bodies.
#include "app/qt_strings.h"
#include "app/vantrel_dlg.h"
#include "resources/resource.h"

namespace vantrel {

// Queued from the first paint, after timer 1 is armed.
void CVantrelDlg::RunUpdateChecks() { ShowStatusText(ResString(res::IDS_CHOOSE_CHANNEL)); }

// The download button's command.
void CVantrelDlg::DownloadChannelList() {}

}  // namespace vantrel
