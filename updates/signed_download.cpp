#include "updates/signed_download.h"

#include <mutex>
#include <set>

#include "updates/http_transfer.h"

namespace vantrel {
namespace {

struct RefusedOffers {
  std::mutex mutex;
  std::set<std::u16string, std::less<>> addresses;
};

RefusedOffers& Refused() {
  static RefusedOffers refused;
  return refused;
}

bool Success(long httpStatus) { return httpStatus >= 200 && httpStatus < 300; }

}  // namespace

SignatureVerdict CheckDownloadSignature(const UpdateClientInfo& client, std::u16string_view address,
                                        std::string_view content, std::span<const MinisignPublicKey> trustedKeys,
                                        SignatureRule rule) {
  const bool required = rule == SignatureRule::kRequired;
  if (trustedKeys.empty()) {
    if (required) return {false, "в этой сборке нет ни одного ключа для проверки обновлений"};
    return {true, {}};
  }
  const DownloadedBody signature =
      DownloadToMemory(std::u16string(address) + std::u16string(kSignatureSuffix), UpdateUserAgent(client));
  if (!Success(signature.httpStatus)) {
    if (!required) return {true, {}};
    return {false, signature.httpStatus == 0
                       ? "подпись не получена: сервер не ответил"
                       : "подписи нет: сервер ответил кодом " + std::to_string(signature.httpStatus)};
  }
  if (!signature.Ok()) return {false, "подпись не получена: передача оборвалась"};
  return VerifyMinisign(signature.bytes, content, trustedKeys);
}

void RememberRefusedOffer(std::u16string_view address) {
  RefusedOffers& refused = Refused();
  std::lock_guard<std::mutex> lock(refused.mutex);
  refused.addresses.emplace(address);
}

bool IsRefusedOffer(std::u16string_view address) {
  RefusedOffers& refused = Refused();
  std::lock_guard<std::mutex> lock(refused.mutex);
  return refused.addresses.find(address) != refused.addresses.end();
}

CheckOutcome WithoutRefusedOffer(CheckOutcome outcome) {
  const bool offer = outcome.action == CheckAction::kAskOffer || outcome.action == CheckAction::kStoreChannelOffer;
  if (!offer || !IsRefusedOffer(outcome.offer.field1)) return outcome;
  // As an answer with nothing to offer: the program check still goes on to the others.
  CheckOutcome nothing;
  nothing.continueChecks = outcome.continueChecks;
  nothing.showChooseChannel = outcome.showChooseChannel;
  return nothing;
}

}  // namespace vantrel
