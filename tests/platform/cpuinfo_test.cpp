#include "platform/cpuinfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace platform;

TEST(Cpuinfo, NamesTheModelWhereTheKernelGivesOne) {
  EXPECT_EQ(platform::processor_model_in_cpuinfo(
                "processor\t: 0\nvendor_id\t: GenuineIntel\ncpu family\t: 6\n"
                "model\t\t: 85\nmodel name\t: Intel(R) Xeon(R)  Gold 6148 CPU @ 2.40GHz\n"),
            "Intel(R) Xeon(R) Gold 6148 CPU @ 2.40GHz");
  EXPECT_EQ(
      platform::processor_model_in_cpuinfo("processor\t: 0\ncpu\t\t: POWER9 (raw), altivec supported\n"),
      "POWER9 (raw), altivec supported");
  EXPECT_EQ(
      platform::processor_model_in_cpuinfo("processor\t: 0\nBogoMIPS\t: 50.00\nCPU implementer\t: 0x41\n"
                                           "CPU part\t: 0xd0c\n"),
      "");
}

} // namespace
