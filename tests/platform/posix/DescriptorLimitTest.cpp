#include "platform/DescriptorLimit.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

rlimit CurrentLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    return limit;
}

TEST(DescriptorLimit, SoftLimitIsRaisedToTheHardLimit)
{
    rlimit lowered = CurrentLimit();
    const rlimit original = lowered;
    if (lowered.rlim_max > 64)
        lowered.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);

    EXPECT_TRUE(RaiseDescriptorLimit());
    EXPECT_EQ(CurrentLimit().rlim_cur, original.rlim_max);
    EXPECT_TRUE(RaiseDescriptorLimit()) << "already at the hard limit";

    setrlimit(RLIMIT_NOFILE, &original);
}

} // namespace
