// The CPUID instruction: the compiler's, the same on every system.
#include "platform/processor_info.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#define KESTRUNE_HAS_CPUID 1
#else
#define KESTRUNE_HAS_CPUID 0
#endif

namespace kestrune::platform {

bool HasCpuid() {
  return KESTRUNE_HAS_CPUID != 0;
}

std::array<uint32_t, 4> ExecuteCpuid(uint32_t leaf) {
  std::array<uint32_t, 4> regs{};
#if KESTRUNE_HAS_CPUID
  unsigned a = 0, b = 0, c = 0, d = 0;
  __cpuid_count(leaf, 0, a, b, c, d);
  regs = {a, b, c, d};
#else
  (void)leaf;
#endif
  return regs;
}

}  // namespace kestrune::platform
