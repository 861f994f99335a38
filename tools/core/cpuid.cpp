#include "tools/core/cpuid.h"

#include <chrono>
#include <cstring>

#include "classlib/core/sys_utils.h"
#include "classlib/core/typinfo.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <x86intrin.h>
#define ZX_HAS_CPUID 1
#endif

const TClassInfo* TCPUID::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TCPUID, TComponent>("TCPUID")
                                     .Prop("ProcessorDescription", &TCPUID::ProcessorDescription, nullptr)
                                     .Prop("ProcessorSpeed", &TCPUID::ProcessorSpeed, nullptr)
                                     .Prop("ProcessorVendor", &TCPUID::ProcessorVendor, nullptr)
                                     .Prop("ProcessorFamily", &TCPUID::ProcessorFamily, nullptr)
                                     .Prop("ProcessorModel", &TCPUID::ProcessorModel, nullptr)
                                     .Build();
  return &Info;
}

void RegisterCPUID() {
  static const bool Done = (RegisterClass(TCPUID::StaticClassInfo()), true);
  (void)Done;
}

TCPUID::TCPUID(TComponent* AOwner) : TComponent(AOwner) {
#ifdef ZX_HAS_CPUID
  unsigned A, B, C, D;
  if (!__get_cpuid(0, &A, &B, &C, &D)) return;
  char Vendor[13] = {};
  std::memcpy(Vendor, &B, 4);
  std::memcpy(Vendor + 4, &D, 4);
  std::memcpy(Vendor + 8, &C, 4);
  FVendor = Vendor;
  if (A >= 1 && __get_cpuid(1, &A, &B, &C, &D)) {
    const int Family = (A >> 8) & 0xF, Model = (A >> 4) & 0xF;
    FFamily = Family == 0xF ? Family + int((A >> 20) & 0xFF) : Family;
    FModel = Family == 0x6 || Family == 0xF ? Model + int(((A >> 16) & 0xF) << 4) : Model;
  }
  unsigned Max = 0;
  if (__get_cpuid(0x80000000, &Max, &B, &C, &D) && Max >= 0x80000004) {
    char Brand[49] = {};
    for (unsigned i = 0; i < 3; ++i) {
      unsigned R[4];
      __get_cpuid(0x80000002 + i, &R[0], &R[1], &R[2], &R[3]);
      std::memcpy(Brand + i * 16, R, 16);
    }
    FDescription = Trim(Brand);
  }
#endif
}

double TCPUID::ProcessorSpeed() const {
  if (FSpeed >= 0) return FSpeed;
  FSpeed = 0;
#ifdef ZX_HAS_CPUID
  // Time-stamp counter ticks over about 50 ms of the steady clock.
  using Clock = std::chrono::steady_clock;
  const auto Start = Clock::now();
  const unsigned long long T0 = __rdtsc();
  while (Clock::now() - Start < std::chrono::milliseconds(50)) {
  }
  const unsigned long long T1 = __rdtsc();
  const double Us = std::chrono::duration<double, std::micro>(Clock::now() - Start).count();
  if (Us > 0) FSpeed = double(T1 - T0) / Us;
#endif
  return FSpeed;
}
