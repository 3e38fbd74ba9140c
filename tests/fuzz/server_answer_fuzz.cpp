// Update server answers: the body bytes in Windows-1251, the answer code, the offer split with
// both search starts, and what each of the three checks makes of it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/text_codec.h"
#include "tests/fuzz/fuzz_input_file.h"
#include "updates/update_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vantrel;
  const PageFetch page{TransferStatus::kOk,
                       Cp1251ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size))};
  const ServerAnswer answer = ParseServerAnswer(page.text);
  fuzz::Expect(answer.payload.size() <= page.text.size());
  for (const size_t start : {kOfferSearchStart, kChannelOfferSearchStart}) {
    const OfferFields fields = SplitOfferFields(answer.payload, start);
    fuzz::Expect(fields.field1.size() + fields.field2.size() + fields.field3.size() + fields.message.size() <=
                 answer.payload.size());
  }
  ClassifyProgramCheck(page);
  ClassifySkinsCheck(page);
  ClassifyChannelsCheck(page);
  DownloadProgressText(size, page.text);
  return 0;
}
