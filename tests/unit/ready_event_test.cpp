#include "platform/ready_event.h"

#include <gtest/gtest.h>

namespace tarvane::test {
namespace {

TEST(ReadyEvent, NameIsTheSessionPrefixFollowedByTheProcessId) {
    EXPECT_EQ(ReadyEventName(4242), L"Local\\9049CAC4-3D98-42e1-8649-6FACC2E8D3D04242");
    EXPECT_EQ(ReadyEventName(0xFFFFFFFF), L"Local\\9049CAC4-3D98-42e1-8649-6FACC2E8D3D04294967295");
}

TEST(ReadyEvent, DescriptorGrantsOnlyWaitAndSignalAndLabelsAboveVersion5) {
    const std::wstring dacl = L"D:(A;;0x00100002;;;WD)(A;;0x00100002;;;AN)";
    EXPECT_EQ(OpenSecurityDescriptorText(6), dacl + L"S:(ML;;;;;S-1-16-0)");
    EXPECT_EQ(OpenSecurityDescriptorText(10), dacl + L"S:(ML;;;;;S-1-16-0)");
    EXPECT_EQ(OpenSecurityDescriptorText(5), dacl);
    EXPECT_EQ(OpenSecurityDescriptorText(std::nullopt), dacl);
}

} // namespace
} // namespace tarvane::test
