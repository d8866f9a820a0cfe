// The behaviour every RegistryApi implementation shares with the real
// registry. Instantiated for the in-memory registry in the unit tests and for
// the Win32 registry (on a scratch key) under Wine.
#pragma once

#include "platform/registry.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace tarvane::test {

// A registry to test, and the key below HKEY_LOCAL_MACHINE the tests may use;
// destroying it removes whatever the tests made.
struct RegistryUnderTest {
    virtual ~RegistryUnderTest() = default;
    virtual RegistryApi& Api() = 0;
    virtual std::wstring BasePath() = 0;
};

using RegistryFactory = std::function<std::unique_ptr<RegistryUnderTest>()>;

class RegistryContract : public ::testing::TestWithParam<RegistryFactory> {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<RegistryUnderTest> target;
    RegistryApi* api = nullptr;
    std::wstring base;
};

} // namespace tarvane::test
