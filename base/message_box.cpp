#include "base/message_box.h"

#include <QMessageBox>

namespace vantrel {
namespace {
std::function<MsgResult(const MessageRequest&)>& Hook() {
  static std::function<MsgResult(const MessageRequest&)> hook;
  return hook;
}
std::function<MsgResult(const QString&, QWidget*)>& SkinnedImpl() {
  static std::function<MsgResult(const QString&, QWidget*)> impl;
  return impl;
}
}  // namespace

MsgResult ShowSkinnedMessage(const QString& text, QWidget* owner) {
  if (Hook()) return Hook()(MessageRequest{text, {}, false});
  if (SkinnedImpl()) return SkinnedImpl()(text, owner);
  return QMessageBox::question(owner, QString(), text, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok
             ? MsgResult::Ok
             : MsgResult::Cancel;
}

void ShowSystemError(const QString& text, const QString& caption) {
  if (Hook()) {
    Hook()(MessageRequest{text, caption, true});
    return;
  }
  QMessageBox::critical(nullptr, caption, text);
}

void SetSkinnedMessageBoxImpl(std::function<MsgResult(const QString&, QWidget*)> impl) {
  SkinnedImpl() = std::move(impl);
}

void SetMessageBoxHookForTesting(std::function<MsgResult(const MessageRequest&)> hook) {
  Hook() = std::move(hook);
}

}  // namespace vantrel
