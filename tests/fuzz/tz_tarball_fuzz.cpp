// The release tarball reader: the fuzzer's bytes as a gzip stream, as a tar
// archive, and as a tar archive inside a well-made gzip stream (so that the
// tar reading and the compiling behind it are reached past zlib's checks).
#include "fuzz_support.h"
#include "tz_release_fixtures.h"
#include "tzdb/tz_release.h"

using namespace tarvane;
using tarvane::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kLimit = 1 << 20;
    std::string unpacked;
    std::wstring reason;
    if (GunzipBytes(data, size, kLimit, &unpacked, &reason)) {
        Check(unpacked.size() <= kLimit, "no more is unpacked than the limit");
    } else {
        Check(unpacked.empty() && !reason.empty(), "a damaged stream gives nothing, and says why");
    }

    const std::string_view archive(reinterpret_cast<const char*>(data), size);
    std::vector<TarMember> members;
    if (ReadTarMembers(archive, &members, &reason)) {
        for (const TarMember& member : members) {
            Check(member.bytes.data() >= archive.data() &&
                      member.bytes.data() + member.bytes.size() <= archive.data() + archive.size(),
                  "a member's bytes lie inside the archive");
        }
    }

    const std::string tarball = test::Gzip(archive);
    TzTable table;
    table.version = L"untouched";
    const auto error =
        ReadTzTarball(reinterpret_cast<const BYTE*>(tarball.data()), tarball.size(), L"t", &table);
    if (error) {
        Check(table.version == L"untouched" && table.zones.empty(), "a refused release replaces nothing");
        Check(!error->reason.empty(), "a refusal says why");
    } else {
        Check(!table.zones.empty() && !table.names.empty(), "a release read has zones");
    }
    return 0;
}
