#include "tz_release_fixtures.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tarvane::test {

std::string TarArchive(const std::vector<std::pair<std::string, std::string>>& files) {
    std::string archive;
    for (const auto& [name, content] : files) {
        char header[512] = {};
        std::memcpy(header, name.data(), std::min<std::size_t>(name.size(), 99));
        std::snprintf(header + 100, 8, "%07o", 0644u);
        std::snprintf(header + 108, 8, "%07o", 0u);
        std::snprintf(header + 116, 8, "%07o", 0u);
        std::snprintf(header + 124, 12, "%011llo", static_cast<unsigned long long>(content.size()));
        std::snprintf(header + 136, 12, "%011o", 0u);
        header[156] = '0';
        std::memcpy(header + 257,
                    "ustar\0"
                    "00",
                    8);
        std::memset(header + 148, ' ', 8);
        unsigned sum = 0;
        for (const char c : header) {
            sum += static_cast<unsigned char>(c);
        }
        std::snprintf(header + 148, 8, "%06o", sum);
        archive.append(header, sizeof header);
        archive += content;
        archive.append((512 - content.size() % 512) % 512, '\0');
    }
    archive.append(1024, '\0');
    return archive;
}

std::string Gzip(std::string_view bytes) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(bytes.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

} // namespace tarvane::test
