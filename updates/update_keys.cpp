#include "updates/update_keys.h"

#include <cstdio>

namespace vantrel {

const std::vector<MinisignPublicKey>& BuiltInUpdateKeys() {
  static const std::vector<MinisignPublicKey> keys = [] {
    std::vector<MinisignPublicKey> parsed;
    for (const std::string_view text : BuiltInUpdateKeyTexts()) {
      std::string reason;
      if (auto key = ParseMinisignPublicKey(text, reason)) {
        parsed.push_back(*key);
      } else {
        std::fprintf(stderr, "update key %.*s left out: %s\n", int(text.size()), text.data(), reason.c_str());
      }
    }
    return parsed;
  }();
  return keys;
}

}  // namespace vantrel
