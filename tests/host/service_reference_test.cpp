// The text form of service references read alike on 32- and 64-bit processors.
#include "host/service/eServiceReference.h"

#include <climits>
#include <gtest/gtest.h>

namespace {

TEST(ServiceReferenceFields, ThirtyTwoBitExtremesReadTheSameEverywhere)
{
    eServiceReference r(eString("-2147483648:4294967295:ffffffff:80000000:-1:7fffffff:0:0:0:0:"));
    ASSERT_TRUE(r.valid());
    EXPECT_EQ(r.type, INT_MIN);
    EXPECT_EQ(r.flags, -1);
    EXPECT_EQ(r.data[0], -1);
    EXPECT_EQ(r.data[1], INT_MIN);
    EXPECT_EQ(r.data[2], -1);
    EXPECT_EQ(r.data[3], INT_MAX);
    EXPECT_EQ(r.toString(), "-2147483648:-1:ffffffff:80000000:ffffffff:7fffffff:0:0:0:0:");
}

TEST(ServiceReferenceFields, FieldsBeyondThirtyTwoBitsAreMalformed)
{
    // A 64-bit long used to keep the low 32 bits of these and a 32-bit one to
    // saturate them: both turned a malformed reference into another service.
    for (const char* bad : {"1:0:1:100001f40:bb9:13e:820000:0:0:0:", "4294967296:0:1:1:2:3:4:0:0:0:",
                            "1:-2147483649:1:1:2:3:4:0:0:0:", "1:0:1:1:2:3:ffffffffffffffff1:0:0:0:",
                            "1:0:1:1:2:3:-80000001:0:0:0:"})
        EXPECT_FALSE(eServiceReference(eString(bad)).valid()) << bad;
}

} // namespace
