// The processor information reads what this machine's processor reports.
#include <gtest/gtest.h>

#include "classlib/core/typinfo.h"
#include "tools/core/cpuid.h"

TEST(CPUID, ReportsThisProcessor) {
  TCPUID C(nullptr);
#if defined(__i386__) || defined(__x86_64__)
  EXPECT_EQ(C.ProcessorVendor().size(), 12u);
  EXPECT_GT(C.ProcessorFamily(), 0);
  EXPECT_GT(C.ProcessorSpeed(), 50.0);  // MHz: any processor this runs on is faster
  EXPECT_EQ(C.ProcessorSpeed(), C.ProcessorSpeed());  // measured once
#endif
  EXPECT_EQ(GetPropText(&C, "ProcessorVendor"), C.ProcessorVendor());
  EXPECT_EQ(GetPropText(&C, "ProcessorFamily"), std::to_string(C.ProcessorFamily()));
}
