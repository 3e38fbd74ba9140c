#pragma once
// Asking the user which playlist to open: a small window with one field that takes a file path
// or an address, a button that fills it from the platform's file chooser, OK and Cancel.
// UI thread only.
#include <QString>
#include <functional>

class QWidget;

namespace vantrel {

// The file or address the user confirmed; empty when cancelled.
QString ChoosePlaylist(QWidget* owner);

// Test seam: answers instead of the window (an empty answer is a cancel). Pass nullptr to
// restore the window.
void SetPlaylistChooserForTesting(std::function<QString()> chooser);

}  // namespace vantrel
