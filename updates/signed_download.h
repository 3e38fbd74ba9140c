#pragma once
// The signature step between a download and its install: the signature is fetched from the
// download's address + ".minisig" and checked against the bytes in memory, before any of
// them is written. An offer refused for its signature is remembered for the rest of the run,
// so that the checks do not make it again.

#include <span>
#include <string>
#include <string_view>

#include "updates/signature.h"
#include "updates/update_protocol.h"

namespace vantrel {

enum class SignatureRule {
  // Program archives: no trusted key, no signature or a wrong one refuses the download.
  kRequired,
  // Skin packs and catalogues: checked when keys are configured and the server answers the
  // signature's address with a success; any other answer means "not signed" and is accepted,
  // so that servers without signatures keep working. A signature that is there must be right.
  kWhenPresent,
};

inline constexpr std::u16string_view kSignatureSuffix = u".minisig";

// Fetches and checks the signature of `content`, downloaded from `address`.
SignatureVerdict CheckDownloadSignature(const UpdateClientInfo& client, std::u16string_view address,
                                        std::string_view content, std::span<const MinisignPublicKey> trustedKeys,
                                        SignatureRule rule);

// Offers are known by their download address.
void RememberRefusedOffer(std::u16string_view address);
bool IsRefusedOffer(std::u16string_view address);

// A check's outcome, with an offer refused earlier in this run turned into "nothing new".
CheckOutcome WithoutRefusedOffer(CheckOutcome outcome);

}  // namespace vantrel
