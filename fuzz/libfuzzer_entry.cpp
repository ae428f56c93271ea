// The libFuzzer entry of one target, chosen by PLATE_FUZZ_TARGET when this file is compiled.

#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plate::fuzz::PLATE_FUZZ_TARGET(std::as_bytes(std::span(data, size)));
  return 0;
}
