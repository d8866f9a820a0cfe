// Release files made in memory for the tz source tests: tar archives and
// gzip streams as IANA's tarballs are made of them.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvane::test {

// An uncompressed ustar archive of regular files, name and content each.
std::string TarArchive(const std::vector<std::pair<std::string, std::string>>& files);

// One gzip member holding `bytes`.
std::string Gzip(std::string_view bytes);

} // namespace tarvane::test
