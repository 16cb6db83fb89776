// Our declarations of the VST3 binary interface against the format's published facts: the byte
// order of interface ids on this platform (COM GUID order on Windows, big-endian words
// elsewhere), the result codes, and the class id as hosts print it. Built for Linux and for
// Windows (run under Wine), each checking its own platform's rules.
#include "vst3/Vst3Abi.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace
{
using namespace vst3;

std::array<uint8_t, 16> bytesOf(const Uid& id)
{
    std::array<uint8_t, 16> out{};
    for (int i = 0; i < 16; ++i)
        out[static_cast<size_t>(i)] = static_cast<uint8_t>(id.bytes[i]);
    return out;
}

TEST(Vst3Abi, InterfaceIdsHaveThePlatformsByteOrder)
{
    // IPluginFactory, 7A4D811C 52114A1F AED9D2EE 0B43BF9F.
    const std::array<uint8_t, 16> guidOrder = {0x1C, 0x81, 0x4D, 0x7A, 0x11, 0x52, 0x1F, 0x4A,
                                               0xAE, 0xD9, 0xD2, 0xEE, 0x0B, 0x43, 0xBF, 0x9F};
    const std::array<uint8_t, 16> wordOrder = {0x7A, 0x4D, 0x81, 0x1C, 0x52, 0x11, 0x4A, 0x1F,
                                               0xAE, 0xD9, 0xD2, 0xEE, 0x0B, 0x43, 0xBF, 0x9F};
    EXPECT_EQ(kComCompatible ? guidOrder : wordOrder, bytesOf(IPluginFactory::iid));
    // FUnknown's id reads the same either way.
    const std::array<uint8_t, 16> unknown = {0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    EXPECT_EQ(unknown, bytesOf(FUnknown::iid));
    EXPECT_TRUE(sameUid(IPluginFactory::iid.bytes, IPluginFactory::iid));
    EXPECT_FALSE(sameUid(IPluginFactory::iid.bytes, IPluginFactory2::iid));
    EXPECT_FALSE(sameUid(nullptr, IPluginFactory::iid));
}

TEST(Vst3Abi, ResultCodesAreThePlatforms)
{
    EXPECT_EQ(0, kResultOk);
    EXPECT_EQ(1, kResultFalse);
    if (kComCompatible)
    {
        EXPECT_EQ(static_cast<tresult>(0x80004002u), kNoInterface);
        EXPECT_EQ(static_cast<tresult>(0x80070057u), kInvalidArgument);
        EXPECT_EQ(static_cast<tresult>(0x80004001u), kNotImplemented);
    }
    else
    {
        EXPECT_EQ(-1, kNoInterface);
        EXPECT_EQ(2, kInvalidArgument);
        EXPECT_EQ(3, kNotImplemented);
    }
}

} // namespace
