// The release tarball reader: the fuzzer's bytes as a gzip stream, as a tar
// archive, and as a tar archive inside a well-made gzip stream (so that the
// tar reading and the compiling behind it are reached past zlib's checks).
#include "fuzz_support.h"
#include "tzdb/tz_release.h"

#include <zlib.h>

using namespace tarvane;
using tarvane::fuzz::Check;

namespace {

std::string Gzip(const std::uint8_t* data, std::size_t size) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(size)), '\0');
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = static_cast<uInt>(size);
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

} // namespace

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

    const std::string tarball = Gzip(data, size);
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
