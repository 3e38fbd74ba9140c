#include "streamsaver/reconnect_policy.h"

#include <cstdlib>

namespace vantrel {

namespace {

void Override(const char* name, ReconnectPolicy::Duration* value) {
  const char* text = std::getenv(name);
  if (text == nullptr) return;
  char* end = nullptr;
  const long long ms = std::strtoll(text, &end, 10);
  if (end != text && *end == '\0' && ms > 0 && ms < value->count())
    *value = ReconnectPolicy::Duration(ms);
}

}  // namespace

ReconnectPolicy ReconnectPolicy::FromEnvironment() {
  ReconnectPolicy policy;
  Override("VANTREL_STREAMSAVER_OUTAGE_MS", &policy.outage);
  Override("VANTREL_STREAMSAVER_STALL_MS", &policy.stall);
  return policy;
}

ReconnectPolicy::Duration ReconnectPolicy::Pause(int attempt) {
  if (attempt <= 0) return Duration(0);
  if (attempt >= 4) return Duration(2000);
  return Duration(125 << attempt);
}

bool IsLive(const AVFormatContext* source) {
  const bool seekable = source->pb != nullptr && (source->pb->seekable & AVIO_SEEKABLE_NORMAL) != 0;
  return !seekable || source->duration == AV_NOPTS_VALUE || source->duration <= 0;
}

}  // namespace vantrel
