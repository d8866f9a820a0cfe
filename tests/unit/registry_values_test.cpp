#include "core/registry_values.h"

#include "platform/last_error.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace tarvane {
namespace {

const std::wstring kPath = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Values";

class RegistryValueReaders : public ::testing::Test {
protected:
    void SetUp() override {
        registry.PutString(kPath, L"Text", L"Pacific Standard Time");
        registry.PutString(kPath, L"Expand", L"%SystemRoot%\\x", REG_EXPAND_SZ);
        registry.PutValue(kPath, L"NoTerminator", REG_SZ, {L'a', 0, L'b', 0});
        registry.PutValue(kPath, L"InnerNul", REG_SZ, {L'a', 0, 0, 0, L'b', 0, 0, 0});
        registry.PutValue(kPath, L"Empty", REG_SZ, {});
        registry.PutDword(kPath, L"Number", 2007);
        registry.PutValue(kPath, L"Binary", REG_BINARY, std::vector<BYTE>(44, 1));
        registry.PutValue(kPath, L"Long", REG_BINARY, std::vector<BYTE>(48, 1));
        registry.PutValue(kPath, L"Short", REG_BINARY, std::vector<BYTE>(40, 1));
        ASSERT_EQ(key.Open(kHkeyLocalMachine, L"SOFTWARE\\Values", KEY_READ), 0);
    }

    MemoryRegistry registry;
    RegKey key{registry};
};

TEST_F(RegistryValueReaders, StringsAreReadUpToTheirFirstNul) {
    std::wstring text;
    ASSERT_TRUE(ReadStringValue(key, L"Text", &text));
    EXPECT_EQ(text, L"Pacific Standard Time");
    EXPECT_EQ(GetThreadLastError(), 0u);
    ASSERT_TRUE(ReadStringValue(key, L"Expand", &text));
    EXPECT_EQ(text, L"%SystemRoot%\\x") << "not expanded";
    ASSERT_TRUE(ReadStringValue(key, L"NoTerminator", &text));
    EXPECT_EQ(text, L"ab");
    ASSERT_TRUE(ReadStringValue(key, L"InnerNul", &text));
    EXPECT_EQ(text, L"a");
}

TEST_F(RegistryValueReaders, StringFailuresCarryTheirCodes) {
    std::wstring text = L"old";
    EXPECT_FALSE(ReadStringValue(key, L"Missing", &text));
    EXPECT_EQ(GetThreadLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(ReadStringValue(key, L"Empty", &text));
    EXPECT_EQ(GetThreadLastError(), 0u) << "a value of 0 bytes fails with code 0";
    EXPECT_FALSE(ReadStringValue(key, L"Number", &text));
    EXPECT_EQ(GetThreadLastError(), ERROR_BAD_DEV_TYPE);
}

TEST_F(RegistryValueReaders, AStringThatChangesBetweenProbeAndReadIsInvalid) {
    RegFault typeChange = RegFault(RegOp::QueryValue, kPath).Value(L"Text");
    typeChange.skip = 1;
    typeChange.type = REG_BINARY;
    registry.InjectFault(typeChange);
    std::wstring text;
    EXPECT_FALSE(ReadStringValue(key, L"Text", &text));
    EXPECT_EQ(GetThreadLastError(), ERROR_INVALID_DATA);

    registry.ClearFaults();
    RegFault readError = RegFault(RegOp::QueryValue, kPath).Value(L"Text").Error(1);
    readError.skip = 1;
    registry.InjectFault(readError);
    EXPECT_FALSE(ReadStringValue(key, L"Text", &text));
    EXPECT_EQ(GetThreadLastError(), 1u);
}

TEST_F(RegistryValueReaders, AStringThatGrewAfterTheProbeFailsTheSecondRead) {
    RegFault grown = RegFault(RegOp::QueryValue, kPath).Value(L"Text");
    grown.skip = 1;
    grown.size = 100;
    registry.InjectFault(grown);
    std::wstring text;
    EXPECT_FALSE(ReadStringValue(key, L"Text", &text));
    EXPECT_EQ(GetThreadLastError(), ERROR_MORE_DATA);
}

TEST_F(RegistryValueReaders, NumbersMustBeDwords) {
    DWORD value = 9;
    ASSERT_TRUE(ReadNumberValue(key, L"Number", &value));
    EXPECT_EQ(value, 2007u);
    EXPECT_FALSE(ReadNumberValue(key, L"Text", &value));
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(GetThreadLastError(), ERROR_BAD_DEV_TYPE);
    EXPECT_FALSE(ReadNumberValue(key, L"Missing", &value));
    EXPECT_EQ(GetThreadLastError(), ERROR_FILE_NOT_FOUND);

    RegFault typeChange = RegFault(RegOp::QueryValue, kPath).Value(L"Number");
    typeChange.skip = 1;
    typeChange.type = REG_SZ;
    registry.InjectFault(typeChange);
    EXPECT_FALSE(ReadNumberValue(key, L"Number", &value));
    EXPECT_EQ(GetThreadLastError(), ERROR_INVALID_DATA);
}

TEST_F(RegistryValueReaders, TziBlocksMustBeExactly44BinaryBytes) {
    TziBlock block{};
    ASSERT_TRUE(ReadTziValue(key, L"Binary", &block));
    EXPECT_EQ(block.Bias, 0x01010101);
    EXPECT_FALSE(ReadTziValue(key, L"Long", &block));
    EXPECT_EQ(GetThreadLastError(), ERROR_MORE_DATA);
    EXPECT_EQ(block.Bias, 0) << "all zero after a failure";
    EXPECT_FALSE(ReadTziValue(key, L"Short", &block));
    EXPECT_EQ(GetThreadLastError(), ERROR_INVALID_DATA);
    EXPECT_FALSE(ReadTziValue(key, L"Number", &block));
    EXPECT_EQ(GetThreadLastError(), ERROR_BAD_DEV_TYPE);
}

TEST_F(RegistryValueReaders, OneCallReadersGiveWhatTheTwoCallReadersGiveInOneRoundTrip) {
    registry.PutString(kPath, L"LongText", std::wstring(300, L'x')); // 602 bytes: more than the buffer
    registry.PutValue(kPath, L"ShortNumber", REG_DWORD, {7, 1});
    registry.PutValue(kPath, L"LongNumber", REG_DWORD, {1, 2, 3, 4, 5});
    registry.PutString(kPath, L"Denied", L"x");
    registry.InjectFault(RegFault(RegOp::QueryValue, kPath).Value(L"Denied").Error(ERROR_ACCESS_DENIED));
    struct Outcome {
        bool read;
        DWORD error;
        std::wstring text;
        DWORD number;
        LONG bias;
        bool operator==(const Outcome&) const = default;
    };
    // The reader's outcome and how many registry calls it took.
    auto run = [&](auto read) {
        Outcome outcome{};
        const std::size_t before = registry.CallCount();
        outcome.read = read(outcome);
        outcome.error = GetThreadLastError();
        return std::make_pair(outcome, registry.CallCount() - before);
    };
    for (const wchar_t* name :
         {L"Text", L"Expand", L"NoTerminator", L"InnerNul", L"Empty", L"Number", L"Binary", L"Long", L"Short",
          L"Missing", L"LongText", L"ShortNumber", L"LongNumber", L"Denied"}) {
        SCOPED_TRACE(testing::Message() << "value " << std::string(name, name + std::wcslen(name)));
        const auto stored = registry.GetValue(kPath, name);
        const std::size_t size = stored ? stored->data.size() : 0;
        const std::size_t fits[] = {512, 4, 44}; // the one-call buffers: text, number, block
        const auto [text, textCalls] = run([&](Outcome& o) { return ReadStringValue(key, name, &o.text); });
        const auto [oneText, oneTextCalls] =
            run([&](Outcome& o) { return ReadStringValueInOneCall(key, name, &o.text); });
        const auto [number, numberCalls] =
            run([&](Outcome& o) { return ReadNumberValue(key, name, &o.number); });
        const auto [oneNumber, oneNumberCalls] =
            run([&](Outcome& o) { return ReadNumberValueInOneCall(key, name, &o.number); });
        TziBlock block{};
        const auto [tzi, tziCalls] = run([&](Outcome& o) {
            const bool read = ReadTziValue(key, name, &block);
            o.bias = block.Bias;
            return read;
        });
        const auto [oneTzi, oneTziCalls] = run([&](Outcome& o) {
            const bool read = ReadTziValueInOneCall(key, name, &block);
            o.bias = block.Bias;
            return read;
        });
        EXPECT_EQ(oneText, text);
        EXPECT_EQ(oneNumber, number);
        EXPECT_EQ(oneTzi, tzi);
        // One call when the value fits; a longer one costs the two calls more.
        EXPECT_EQ(oneTextCalls, size <= fits[0] ? 1u : 1u + textCalls);
        EXPECT_EQ(oneNumberCalls, size <= fits[1] ? 1u : 1u + numberCalls);
        EXPECT_EQ(oneTziCalls, size <= fits[2] ? 1u : 1u + tziCalls);
    }
}

} // namespace
} // namespace tarvane
