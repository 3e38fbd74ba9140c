#pragma once
// The minisign public keys this build accepts update signatures from, fixed at build time:
// the publisher's keys (CMake list VANTREL_UPDATE_KEYS) and, in a tree that builds the demo,
// the key made for the demo server (VANTREL_DEMO_KEY).

#include <string_view>
#include <vector>

#include "updates/signature.h"

namespace vantrel {

// Parsed once; the build refuses a key that does not parse, so none is dropped here.
const std::vector<MinisignPublicKey>& BuiltInUpdateKeys();

// The keys' text as compiled in ("RW..." lines); written by CMake into the build folder.
std::vector<std::string_view> BuiltInUpdateKeyTexts();

}  // namespace vantrel
