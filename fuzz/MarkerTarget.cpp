// The runner's own check: a target that reads past its buffer on the one input "kv-fuzz-marker"
// and on nothing else. The runner runs it first and trusts itself only when it reports the
// fault with that input.

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const char marker[] = "kv-fuzz-marker";
  if (size != sizeof(marker) - 1 || std::memcmp(data, marker, size) != 0) return 0;
  char* copy = new char[size];
  std::memcpy(copy, data, size);
  const volatile char* end = copy + size;
  const char past = *end;   // one byte beyond the buffer
  delete[] copy;
  (void)past;
  return 0;
}
