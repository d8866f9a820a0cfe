// Makes the tz table that the program carries as a resource, at build time,
// with the program's own compiler of the tz source format: a tzdata.zi
// compiled as Tools > tz Database Release... compiles one, and CLDR's
// mapping of Windows zone keys, as tools/make_tz_table.py writes it from
// cldr-core's windowsZones.json:
//     cldr <version>
//     <Windows key> TAB <territory> TAB <zone> [SPACE <zone>...]
//
//     tarvane_make_tz_table <tzdata.zi> <mapping> <output>
#include "tzdb/tz_release.h"
#include "tzdb/tz_table.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

namespace {

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) {
        out.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
    }
    return out;
}

bool ReadFile(const char* path, std::string* bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    bytes->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "tarvane_make_tz_table: %s\n", message.c_str());
    return 1;
}

// The mapping's rows, with the zones as indices into the table's names.
bool ReadMapping(const std::string& text, tarvane::TzTable* table, std::string* problem) {
    std::map<std::wstring, std::uint16_t> names;
    for (std::size_t i = 0; i < table->names.size(); ++i) {
        names.emplace(table->names[i].first, static_cast<std::uint16_t>(i));
    }
    std::istringstream lines(text);
    std::string line;
    std::size_t number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (number == 1) {
            if (line.rfind("cldr ", 0) != 0 || line.size() == 5) {
                *problem = "the mapping's first line names no CLDR version";
                return false;
            }
            table->cldrVersion = Wide(line.substr(5));
            continue;
        }
        const std::size_t first = line.find('\t');
        const std::size_t second = line.find('\t', first == std::string::npos ? first : first + 1);
        if (second == std::string::npos) {
            *problem = "mapping line " + std::to_string(number) + " is not key, territory and zones";
            return false;
        }
        tarvane::TzMapping mapping{
            Wide(line.substr(0, first)), Wide(line.substr(first + 1, second - first - 1)), {}};
        std::istringstream zones(line.substr(second + 1));
        std::string zone;
        while (zones >> zone) {
            const auto found = names.find(Wide(zone));
            if (found == names.end()) {
                *problem = "CLDR names a zone the tz database lacks: " + zone;
                return false;
            }
            mapping.names.push_back(found->second);
        }
        if (mapping.names.empty()) {
            *problem = "mapping line " + std::to_string(number) + " names no zone";
            return false;
        }
        table->mappings.push_back(std::move(mapping));
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: tarvane_make_tz_table <tzdata.zi> <mapping> <output>\n");
        return 2;
    }
    std::string zi, mappingText;
    if (!ReadFile(argv[1], &zi) || !ReadFile(argv[2], &mappingText)) {
        return Fail("cannot read the input");
    }
    tarvane::TzTable table;
    const std::wstring name = Wide(std::filesystem::path(argv[1]).filename().string());
    if (const auto error =
            tarvane::ReadTzDataZi(reinterpret_cast<const BYTE*>(zi.data()), zi.size(), name, &table)) {
        return Fail(Narrow(error->file) + ":" + std::to_string(error->line) + ": " + Narrow(error->reason));
    }
    std::string problem;
    if (!ReadMapping(mappingText, &table, &problem)) {
        return Fail(problem);
    }
    std::string bytes;
    std::wstring reason;
    tarvane::TzTable check;
    if (!tarvane::WriteTzTable(table, &bytes, &reason)) {
        return Fail(Narrow(reason));
    }
    if (!tarvane::ReadTzTable(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), &check)) {
        return Fail("the table made is not one the program reads");
    }
    const std::string temporary = std::string(argv[3]) + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            return Fail("cannot write " + temporary);
        }
    }
    std::filesystem::rename(temporary, argv[3]);
    std::printf("tz table %s, CLDR %s: %zu zones, %zu names, %zu mappings, %zu bytes\n",
                Narrow(check.version).c_str(), Narrow(check.cldrVersion).c_str(), check.zones.size(),
                check.names.size(), check.mappings.size(), bytes.size());
    return 0;
}
