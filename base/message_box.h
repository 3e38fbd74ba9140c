#pragma once
#include <QString>
#include <functional>

class QWidget;

namespace vantrel {

// The answers a message box gives.
enum class MsgResult { Ok = 1, Cancel = 2 };

// Every message of the program goes through here, so tests can answer them.
struct MessageRequest {
  QString text;
  QString caption;      // system boxes only
  bool system = false;  // true: the system's error box (no skin available); false: the skinned box
};

// The skinned box of the current skin, with OK and Cancel; modal over `owner`.
MsgResult ShowSkinnedMessage(const QString& text, QWidget* owner = nullptr);
// The system's standard error box, for failures while no skin can be shown.
void ShowSystemError(const QString& text, const QString& caption);

// The skin subsystem registers the real skinned box here; until then a plain box stands in.
void SetSkinnedMessageBoxImpl(std::function<MsgResult(const QString& text, QWidget* owner)> impl);

// Test seam: answers every message instead of showing it. Pass nullptr to restore.
void SetMessageBoxHookForTesting(std::function<MsgResult(const MessageRequest&)> hook);

}  // namespace vantrel
