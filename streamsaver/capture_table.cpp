// The library's exports and its table of running captures.

#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>

#include <sys/time.h>

#include "streamsaver/result_codes.h"
#include "streamsaver/streamsaver.h"
#include "streamsaver/text.h"
#include "streamsaver/url_capture.h"

namespace vantrel {

namespace {

void FillLocalTime(CaptureTime* time) {
  if (time == nullptr) return;
  timeval now{};
  gettimeofday(&now, nullptr);
  std::tm local{};
  const std::time_t seconds = now.tv_sec;
  localtime_r(&seconds, &local);
  time->wYear = static_cast<uint16_t>(local.tm_year + 1900);
  time->wMonth = static_cast<uint16_t>(local.tm_mon + 1);
  time->wDayOfWeek = static_cast<uint16_t>(local.tm_wday);
  time->wDay = static_cast<uint16_t>(local.tm_mday);
  time->wHour = static_cast<uint16_t>(local.tm_hour);
  time->wMinute = static_cast<uint16_t>(local.tm_min);
  time->wSecond = static_cast<uint16_t>(local.tm_sec);
  time->wMilliseconds = static_cast<uint16_t>(now.tv_usec / 1000);
}

class CaptureTable {
 public:
  // Runs when the library is unloaded or the process exits: a capture left running would leave
  // its file without trailer and index.
  ~CaptureTable() { StopAll(nullptr); }

  HResult Start(const char16_t* url, const char16_t* file, CaptureTime* time,
                SourceHeaders headers = {}) {
    if (url == nullptr) return STREAMSAVER_E_POINTER;
    std::lock_guard<std::mutex> lock(m_calls);
    m_cancelStart = false;
    std::u16string key(url);
    if (m_captures.count(key) != 0) return STREAMSAVER_S_FALSE;
    std::unique_ptr<URLCapture> capture(new (std::nothrow) URLCapture);
    if (!capture) return STREAMSAVER_E_OUTOFMEMORY;
    const HResult hr = capture->BuildGraph(key, file, &m_cancelStart, std::move(headers));
    if (Failed(hr)) return hr;
    m_captures.emplace(std::move(key), std::move(capture));
    FillLocalTime(time);
    return hr;
  }

  HResult Stop(const char16_t* url, CaptureTime* time) {
    if (url == nullptr) return STREAMSAVER_S_FALSE;
    std::lock_guard<std::mutex> lock(m_calls);
    const auto it = m_captures.find(url);
    if (it == m_captures.end()) return STREAMSAVER_S_FALSE;
    FillLocalTime(time);
    it->second.reset();
    m_captures.erase(it);
    return STREAMSAVER_S_OK;
  }

  HResult StopAll(CaptureTime* time) {
    // Raised before waiting for the lock, so that a start blocked on the network gives up.
    m_cancelStart = true;
    std::lock_guard<std::mutex> lock(m_calls);
    HResult hr = STREAMSAVER_S_FALSE;
    if (!m_captures.empty()) {
      FillLocalTime(time);
      for (auto& entry : m_captures) entry.second.reset();
      m_captures.clear();
      hr = STREAMSAVER_S_OK;
    }
    m_cancelStart = false;
    return hr;
  }

 private:
  std::mutex m_calls;  // serialises the exports
  std::atomic<bool> m_cancelStart{false};
  std::map<std::u16string, std::unique_ptr<URLCapture>> m_captures;
};

CaptureTable& Table() {
  static CaptureTable table;
  return table;
}

// A header value as FFmpeg sends it; false for one holding a control character, which would end
// the header line and start another one of the sender's choosing.
bool HeaderValue(const char16_t* text, std::string* value) {
  if (text == nullptr) return true;
  const std::u16string_view view(text);
  for (const char16_t c : view) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  *value = ToUtf8(view);
  return true;
}

// No exception may cross the C boundary.
template <typename Call>
int32_t Guarded(Call call) {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    return STREAMSAVER_E_OUTOFMEMORY;
  } catch (...) {
    return STREAMSAVER_E_FAIL;
  }
}

}  // namespace

}  // namespace vantrel

extern "C" {

STREAMSAVER_API int32_t STREAMSAVER_CALL StartCaptureSource(const char16_t* url,
                                                            const char16_t* file,
                                                            CaptureTime* time) {
  return vantrel::Guarded([&] { return vantrel::Table().Start(url, file, time); });
}

STREAMSAVER_API int32_t STREAMSAVER_CALL StartCaptureSourceWithHeaders(const char16_t* url,
                                                                       const char16_t* file,
                                                                       const char16_t* userAgent,
                                                                       const char16_t* referrer,
                                                                       CaptureTime* time) {
  return vantrel::Guarded([&] {
    vantrel::SourceHeaders headers;
    if (!vantrel::HeaderValue(userAgent, &headers.userAgent) ||
        !vantrel::HeaderValue(referrer, &headers.referrer)) {
      vantrel::ReportFailure(STREAMSAVER_E_INVALIDARG, "HeaderValue(userAgent, referrer)");
      return STREAMSAVER_E_INVALIDARG;
    }
    return vantrel::Table().Start(url, file, time, std::move(headers));
  });
}

STREAMSAVER_API int32_t STREAMSAVER_CALL StopCaptureSource(const char16_t* url,
                                                           CaptureTime* time) {
  return vantrel::Guarded([&] { return vantrel::Table().Stop(url, time); });
}

STREAMSAVER_API int32_t STREAMSAVER_CALL StopCaptureAllSources(CaptureTime* time) {
  return vantrel::Guarded([&] { return vantrel::Table().StopAll(time); });
}

}  // extern "C"
