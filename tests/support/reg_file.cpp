#include "reg_file.h"

#include "platform/text.h"

#include <cwctype>

namespace tarvane::test {
namespace {

std::wstring Upper(std::wstring_view text) {
    std::wstring out;
    for (wchar_t ch : text) {
        out.push_back(static_cast<wchar_t>(std::towupper(static_cast<wint_t>(ch))));
    }
    return out;
}

std::string Narrow(std::wstring_view text) {
    std::string out;
    for (wchar_t ch : text) {
        out.push_back(static_cast<unsigned>(ch) < 0x80 ? static_cast<char>(ch) : '?');
    }
    return out;
}

// A quoted text starting after its opening quote; `pos` ends after the closing quote.
bool ReadQuoted(const std::wstring& line, std::size_t& pos, std::wstring* out) {
    out->clear();
    while (pos < line.size()) {
        const wchar_t ch = line[pos++];
        if (ch == L'"') {
            return true;
        }
        if (ch == L'\\' && pos < line.size()) {
            out->push_back(line[pos++]);
        } else {
            out->push_back(ch);
        }
    }
    return false;
}

bool ReadHexBytes(const std::wstring& text, std::vector<BYTE>* bytes) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && (text[pos] == L' ' || text[pos] == L'\t')) {
            ++pos;
        }
        if (pos >= text.size()) {
            break;
        }
        if (HexDigitValue(text[pos]) < 0) {
            return false;
        }
        int value = HexDigitValue(text[pos++]);
        if (pos < text.size() && HexDigitValue(text[pos]) >= 0) {
            value = value * 16 + HexDigitValue(text[pos++]);
        }
        bytes->push_back(static_cast<BYTE>(value));
        while (pos < text.size() && (text[pos] == L' ' || text[pos] == L'\t')) {
            ++pos;
        }
        if (pos < text.size()) {
            if (text[pos] != L',') {
                return false;
            }
            ++pos;
        }
    }
    return true;
}

} // namespace

bool ParseRegText(const std::wstring& text, RegFile* file, std::string* error) {
    file->clear();
    std::vector<std::wstring> lines;
    std::wstring current;
    for (wchar_t ch : text) {
        if (ch == L'\n') {
            lines.push_back(current);
            current.clear();
        } else if (ch != L'\r') {
            current.push_back(ch);
        }
    }
    lines.push_back(current);
    if (lines.empty() || (lines[0] != L"Windows Registry Editor Version 5.00" &&
                          lines[0] != L"\xFEFFWindows Registry Editor Version 5.00")) {
        *error = "no header";
        return false;
    }
    RegFileKey* key = nullptr;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::wstring line = TrimWhiteSpace(lines[i]);
        if (line.empty() || line[0] == L';') {
            continue;
        }
        const auto fail = [&](const char* why) {
            *error = std::string(why) + " in line " + std::to_string(i + 1) + ": " + Narrow(line);
            return false;
        };
        if (line[0] == L'[') {
            if (line.back() != L']') {
                return fail("bad key line");
            }
            std::wstring path = line.substr(1, line.size() - 2);
            const bool deleted = !path.empty() && path[0] == L'-';
            if (deleted) {
                path.erase(0, 1);
            }
            key = &(*file)[Upper(path)];
            key->path = path;
            key->deleted = key->deleted || deleted;
            continue;
        }
        if (key == nullptr) {
            return fail("value before any key");
        }
        RegFileValue value;
        std::size_t pos = 0;
        if (line[0] == L'@') {
            pos = 1;
        } else if (line[0] == L'"') {
            pos = 1;
            if (!ReadQuoted(line, pos, &value.name)) {
                return fail("unterminated name");
            }
        } else {
            return fail("not a value line");
        }
        if (pos >= line.size() || line[pos] != L'=') {
            return fail("no equals sign");
        }
        std::wstring data = line.substr(pos + 1);
        if (data == L"-") {
            value.deleted = true;
        } else if (!data.empty() && data[0] == L'"') {
            std::size_t at = 1;
            std::wstring content;
            if (!ReadQuoted(data, at, &content) || at != data.size()) {
                return fail("bad string");
            }
            value.type = REG_SZ;
            value.data = ToUtf16Le(content, true);
        } else if (data.rfind(L"dword:", 0) == 0) {
            if (data.size() != 14) {
                return fail("bad dword");
            }
            DWORD number = 0;
            for (std::size_t k = 6; k < 14; ++k) {
                if (HexDigitValue(data[k]) < 0) {
                    return fail("bad dword");
                }
                number = number * 16 + static_cast<DWORD>(HexDigitValue(data[k]));
            }
            value.type = REG_DWORD;
            value.data.resize(4);
            WriteDwordLe(value.data.data(), number);
        } else if (data.rfind(L"hex", 0) == 0) {
            std::size_t colon = data.find(L':');
            if (colon == std::wstring::npos) {
                return fail("bad hex");
            }
            value.type = REG_BINARY;
            if (colon > 3) {
                if (data[3] != L'(' || data[colon - 1] != L')') {
                    return fail("bad hex type");
                }
                value.type = static_cast<DWORD>(std::wcstoul(data.substr(4, colon - 5).c_str(), nullptr, 16));
            }
            std::wstring list = data.substr(colon + 1);
            while (!list.empty() && list.back() == L'\\') {
                list.pop_back();
                if (++i >= lines.size()) {
                    return fail("continuation at the end");
                }
                list += TrimWhiteSpace(lines[i]);
            }
            if (!ReadHexBytes(list, &value.data)) {
                return fail("bad hex bytes");
            }
        } else {
            return fail("unknown data");
        }
        key->values[Upper(value.name)] = value;
    }
    return true;
}

RegFile NormalizeStrings(RegFile file) {
    for (auto& [path, key] : file) {
        for (auto& [name, value] : key.values) {
            if (value.type != REG_SZ) {
                continue;
            }
            std::size_t units = 0;
            while (units * 2 + 1 < value.data.size() &&
                   (value.data[units * 2] != 0 || value.data[units * 2 + 1] != 0)) {
                ++units;
            }
            value.data = ToUtf16Le(FromUtf16Le(value.data.data(), units), true);
        }
    }
    return file;
}

void ApplyRegFile(MemoryRegistry& registry, const RegFile& file) {
    for (const auto& [upper, key] : file) {
        if (key.deleted) {
            registry.RemoveTree(key.path);
            continue;
        }
        registry.PutKey(key.path);
        for (const auto& [name, value] : key.values) {
            if (value.deleted) {
                RegKey open(registry);
                if (open.Open(kHkeyLocalMachine, key.path.substr(key.path.find(L'\\') + 1),
                              KEY_READ | KEY_WRITE) == ERROR_SUCCESS) {
                    open.DeleteValue(value.name);
                }
            } else {
                registry.PutValue(key.path, value.name, value.type, value.data);
            }
        }
    }
}

std::string DiffRegFiles(const RegFile& expected, const RegFile& actual) {
    std::string out;
    for (const auto& [path, key] : expected) {
        auto it = actual.find(path);
        if (it == actual.end()) {
            out += "missing key " + Narrow(key.path) + "\n";
            continue;
        }
        for (const auto& [name, value] : key.values) {
            auto other = it->second.values.find(name);
            if (other == it->second.values.end()) {
                out += "missing value " + Narrow(key.path) + " : " + Narrow(value.name) + "\n";
            } else if (!(other->second == value)) {
                out += "different value " + Narrow(key.path) + " : " + Narrow(value.name) + "\n";
            }
        }
        for (const auto& [name, value] : it->second.values) {
            if (key.values.count(name) == 0) {
                out += "extra value " + Narrow(key.path) + " : " + Narrow(value.name) + "\n";
            }
        }
    }
    for (const auto& [path, key] : actual) {
        if (expected.count(path) == 0) {
            out += "extra key " + Narrow(key.path) + "\n";
        }
    }
    return out;
}

} // namespace tarvane::test
