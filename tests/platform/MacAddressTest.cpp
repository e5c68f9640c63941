#include "platform/MacAddress.h"

#include <gtest/gtest.h>

using namespace korvex::platform;

namespace {
AdapterInfo nic(const char* hex, bool ip) {
    return {QByteArray::fromHex(hex), ip};
}
} // namespace

TEST(MacAddress, SelectionRules) {
    struct Case {
        const char* what;
        QList<AdapterInfo> adapters;
        QByteArray expected;
    };
    const Case cases[] = {
        {"no adapters", {}, ""},
        {"last adapter with an IP wins",
         {nic("001122334455", true), nic("AABBCCDDEEFF", true)},
         "AABBCCDDEEFF"},
        {"adapter without IP is skipped in the first pass",
         {nic("001122334455", true), nic("AABBCCDDEEFF", false)},
         "001122334455"},
        {"no adapter has an IP: last real address",
         {nic("001122334455", false), nic("AABBCCDDEEFF", false)},
         "AABBCCDDEEFF"},
        {"trailing zero bytes count as none", {nic("001122330000", true)}, ""},
        {"zero-tailed last adapter triggers the second pass",
         {nic("001122334455", false), nic("AABBCCDDEEFF", true), nic("001122330000", true)},
         "AABBCCDDEEFF"},
        {"empty hardware address ignored", {nic("0A0B0C0D0E0F", true), nic("", true)}, "0A0B0C0D0E0F"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SelectMacAddress(c.adapters), c.expected) << c.what;
    EXPECT_EQ(AdapterAddressText(QByteArray::fromHex("0a1b2c3d4e5f")), "0A1B2C3D4E5F");
}
