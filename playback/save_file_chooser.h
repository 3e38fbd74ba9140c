#pragma once
// Asking the user where a recording goes. The platform's save-file dialog, application-modal
// with no owner window, filter "AVI Video file(*.avi)", asking before an existing file is
// overwritten. The name comes back exactly as the user gave it: no extension is added, so a
// name ending in ".asf" stays one. UI thread only.
#include <QString>
#include <functional>

namespace vantrel {

// The full path the user confirmed; empty when the dialog was cancelled.
QString ChooseRecordingFile();

// Test seam: answers instead of the dialog (an empty answer is a cancel). Pass nullptr to
// restore the dialog.
void SetSaveFileChooserForTesting(std::function<QString()> chooser);

}  // namespace vantrel
