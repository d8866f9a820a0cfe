#include "tzdb/tz_release.h"

#include "platform/text.h"

#include <zlib.h>

#include <algorithm>
#include <map>

namespace tarvane {
namespace {

// A release unpacks to about 2 MB; more than this is no release.
constexpr std::size_t kMaxUnpacked = 64 * 1024 * 1024;
constexpr std::size_t kBlock = 512;

// A NUL-terminated field of a tar header.
std::string_view Field(std::string_view header, std::size_t at, std::size_t length) {
    const std::string_view field = header.substr(at, length);
    return field.substr(0, std::min(field.find('\0'), field.size()));
}

// An octal number field: spaces, at least one digit, then spaces or NULs.
bool Octal(std::string_view field, std::uint64_t* value) {
    std::size_t at = 0;
    while (at < field.size() && field[at] == ' ') {
        ++at;
    }
    std::size_t digits = 0;
    *value = 0;
    for (; at < field.size() && field[at] >= '0' && field[at] <= '7'; ++at, ++digits) {
        if (*value > (std::uint64_t{1} << 60)) {
            return false;
        }
        *value = *value * 8 + static_cast<std::uint64_t>(field[at] - '0');
    }
    for (; at < field.size(); ++at) {
        if (field[at] != ' ' && field[at] != '\0') {
            return false;
        }
    }
    return digits > 0;
}

// The "path" record of a pax extended header, if it has one.
std::string PaxPath(std::string_view records) {
    std::string path;
    while (!records.empty()) {
        std::size_t at = 0;
        std::size_t length = 0;
        while (at < records.size() && records[at] >= '0' && records[at] <= '9' && length < kMaxUnpacked) {
            length = length * 10 + static_cast<std::size_t>(records[at] - '0');
            ++at;
        }
        if (at == 0 || length <= at || length > records.size()) {
            break;
        }
        const std::string_view record = records.substr(at, length - at);
        if (record.substr(0, 6) == " path=" && record.back() == '\n') {
            path = std::string(record.substr(6, record.size() - 7));
        }
        records.remove_prefix(length);
    }
    return path;
}

std::optional<TzSourceError> Compile(const std::map<std::wstring, std::string_view>& files,
                                     std::wstring_view origin, TzTable* table) {
    const auto version = files.find(L"version");
    if (version == files.end()) {
        return TzSourceError{std::wstring(origin), 0, L"the release has no version file"};
    }
    std::string_view text = version->second.substr(0, version->second.find('\n'));
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    if (text.empty() || text.size() > 255 || std::any_of(text.begin(), text.end(), [](char c) {
            return static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7F;
        })) {
        return TzSourceError{L"version", 1, L"the version file names no version"};
    }
    std::vector<TzSourceFile> sources;
    for (const std::wstring_view name : kTzReleaseSources) {
        const auto file = files.find(std::wstring(name));
        if (file != files.end()) {
            sources.push_back(TzSourceFile{std::wstring(name), file->second});
        }
    }
    if (sources.empty()) {
        return TzSourceError{std::wstring(origin), 0, L"the release holds no zones"};
    }
    std::optional<TzSourceError> error = CompileTzSource(sources, PrintableAsciiText(text), table);
    if (error && error->line == 0) {
        error->file = std::wstring(origin); // the release as a whole is to blame
    }
    return error;
}

} // namespace

bool GunzipBytes(const BYTE* data, std::size_t size, std::size_t limit, std::string* out,
                 std::wstring* reason) {
    out->clear();
    z_stream stream{};
    // 16 + 15: a gzip wrapper only, whose CRC-32 and length zlib checks.
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) {
        *reason = L"the decompressor cannot start";
        return false;
    }
    stream.next_in = const_cast<Bytef*>(data); // zlib never writes its input
    std::size_t left = size;
    char buffer[64 * 1024];
    int result = Z_OK;
    while (result == Z_OK) {
        if (stream.avail_in == 0 && left > 0) {
            const std::size_t chunk = std::min<std::size_t>(left, 1u << 30);
            stream.avail_in = static_cast<uInt>(chunk);
            left -= chunk;
        }
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        const std::size_t produced = sizeof buffer - stream.avail_out;
        if (out->size() + produced > limit) {
            inflateEnd(&stream);
            *reason = L"the archive unpacks to more than a release holds";
            return false;
        }
        out->append(buffer, produced);
        if (result == Z_BUF_ERROR && stream.avail_in == 0 && left == 0) {
            break;
        }
    }
    inflateEnd(&stream);
    if (result == Z_STREAM_END) {
        return true;
    }
    *reason =
        result == Z_BUF_ERROR ? L"the archive is truncated" : L"the archive is damaged (gzip data error)";
    out->clear();
    return false;
}

bool ReadTarMembers(std::string_view archive, std::vector<TarMember>* members, std::wstring* reason) {
    std::vector<TarMember> found;
    std::string longName;
    std::size_t at = 0;
    while (archive.size() - at >= kBlock) {
        const std::string_view header = archive.substr(at, kBlock);
        if (std::all_of(header.begin(), header.end(), [](char c) { return c == '\0'; })) {
            break; // the end-of-archive blocks
        }
        std::uint64_t stored = 0;
        std::uint64_t sum = 0;
        for (std::size_t i = 0; i < kBlock; ++i) {
            sum += i >= 148 && i < 156 ? ' ' : static_cast<unsigned char>(header[i]);
        }
        if (!Octal(header.substr(148, 8), &stored) || stored != sum) {
            *reason = L"a tar header is damaged (checksum)";
            return false;
        }
        std::uint64_t size = 0;
        if (!Octal(header.substr(124, 12), &size)) {
            *reason = L"a tar header is damaged (size)";
            return false;
        }
        at += kBlock;
        if (size > archive.size() - at) {
            *reason = L"a tar entry runs past the end of the archive";
            return false;
        }
        const std::string_view bytes = archive.substr(at, static_cast<std::size_t>(size));
        at += std::min<std::size_t>(archive.size() - at, (bytes.size() + kBlock - 1) / kBlock * kBlock);
        const char type = header[156];
        if (type == 'x') {
            longName = PaxPath(bytes);
            continue;
        }
        if (type == 'L') {
            longName = std::string(bytes.substr(0, std::min(bytes.find('\0'), bytes.size())));
            continue;
        }
        std::string name = std::string(Field(header, 0, 100));
        if (header.substr(257, 5) == "ustar" && !Field(header, 345, 155).empty()) {
            name = std::string(Field(header, 345, 155)) + "/" + name;
        }
        if (!longName.empty()) {
            name = longName;
            longName.clear();
        }
        if (type != '0' && type != '\0') {
            continue; // folders, links, global headers
        }
        while (name.substr(0, 2) == "./") {
            name.erase(0, 2);
        }
        found.push_back(TarMember{PrintableAsciiText(name), bytes});
    }
    if (at < archive.size() && archive.size() - at < kBlock &&
        std::any_of(archive.begin() + static_cast<std::ptrdiff_t>(at), archive.end(),
                    [](char c) { return c != '\0'; })) {
        *reason = L"the tar archive is truncated";
        return false;
    }
    *members = std::move(found);
    return true;
}

std::optional<TzSourceError> ReadTzTarball(const BYTE* data, std::size_t size, std::wstring_view fileName,
                                           TzTable* table) {
    std::string archive;
    std::wstring reason;
    if (!GunzipBytes(data, size, kMaxUnpacked, &archive, &reason)) {
        return TzSourceError{std::wstring(fileName), 0, reason};
    }
    std::vector<TarMember> members;
    if (!ReadTarMembers(archive, &members, &reason)) {
        return TzSourceError{std::wstring(fileName), 0, reason};
    }
    std::map<std::wstring, std::string_view> files;
    for (const TarMember& member : members) {
        files[member.name] = member.bytes;
    }
    return Compile(files, fileName, table);
}

std::optional<TzSourceError> ReadTzFolder(const TzFolderReader& readFile, std::wstring_view folderName,
                                          TzTable* table) {
    std::map<std::wstring, std::string> held;
    std::map<std::wstring, std::string_view> files;
    std::vector<std::wstring_view> wanted(kTzReleaseSources.begin(), kTzReleaseSources.end());
    wanted.push_back(L"version");
    for (const std::wstring_view name : wanted) {
        std::string bytes;
        if (readFile(name, &bytes)) {
            std::string& kept = held[std::wstring(name)];
            kept = std::move(bytes);
            files[std::wstring(name)] = kept;
        }
    }
    return Compile(files, folderName, table);
}

std::optional<TzSourceError> ReadTzDataZi(const BYTE* data, std::size_t size, std::wstring_view fileName,
                                          TzTable* table) {
    const std::string_view text(reinterpret_cast<const char*>(data), data == nullptr ? 0 : size);
    return CompileTzSource({TzSourceFile{std::wstring(fileName), text}}, L"", table);
}

std::optional<TzSourceError> ReadTzReleaseFile(const BYTE* data, std::size_t size, std::wstring_view fileName,
                                               TzTable* table) {
    if (data != nullptr && size >= 2 && data[0] == 0x1F && data[1] == 0x8B) {
        return ReadTzTarball(data, size, fileName, table);
    }
    return ReadTzDataZi(data, size, fileName, table);
}

} // namespace tarvane
