#include "backup/export_text_reader.h"

#include "backup/code_page.h"
#include "backup/import_scope.h"
#include "backup/registry_export.h"
#include "core/zone_sources.h"
#include "platform/text.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

namespace tarvane {
namespace {

constexpr wchar_t kRegedit4Header[] = L"REGEDIT4";
// A refused line is shown up to this many characters: enough to find it, and
// the log line stays short whatever the file holds.
constexpr std::size_t kShownLineLimit = 200;

struct Line {
    std::wstring text;
    bool complete = true; // ended by a line feed
};

bool IsBlank(wchar_t ch) {
    return ch == L' ' || ch == L'\t';
}

std::size_t SkipBlanks(std::wstring_view text, std::size_t pos) {
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    return pos;
}

bool OnlyBlanksFrom(std::wstring_view text, std::size_t pos) {
    return SkipBlanks(text, pos) == text.size();
}

// The line as a log line can show it.
std::wstring ShownLine(std::wstring_view text) {
    std::size_t begin = SkipBlanks(text, 0);
    std::size_t end = text.size();
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    std::wstring shown;
    for (wchar_t ch : text.substr(begin, end - begin)) {
        if (shown.size() >= kShownLineLimit) {
            shown += L"...";
            break;
        }
        shown += ch == L'\0' ? L"\\0" : ch == L'\r' ? L"\\r" : std::wstring(1, ch);
    }
    return shown;
}

// The text's lines, split on line feeds before anything is decoded; a line
// feed's carriage return is left out. An unfinished last line is kept with
// `complete` false; the empty part after a final line feed is not a line.
class LineSplitter {
public:
    explicit LineSplitter(CodePageDecoder decode) : decode_(decode) {}

    bool SplitUtf16(const BYTE* data, std::size_t size, bool bigEndian, std::vector<Line>* lines) {
        std::vector<BYTE> units;
        std::size_t start = 0;
        for (std::size_t i = 0; i + 1 < size; i += 2) {
            const BYTE low = bigEndian ? data[i + 1] : data[i];
            const BYTE high = bigEndian ? data[i] : data[i + 1];
            if (low == 0x0A && high == 0) {
                lines->push_back(Line{Utf16Line(units), true});
                units.clear();
                start = i + 2;
                continue;
            }
            units.push_back(low);
            units.push_back(high);
        }
        if (start < size) {
            // A last line without its line feed, or half a unit: the text was cut.
            lines->push_back(Line{Utf16Line(units), false});
        }
        return true;
    }

    bool SplitBytes(const BYTE* data, std::size_t size, UINT codePage, std::vector<Line>* lines) {
        std::size_t start = 0;
        for (std::size_t i = 0; i <= size; ++i) {
            if (i < size && data[i] != 0x0A) {
                continue;
            }
            if (i == size && start == size) {
                break;
            }
            std::size_t end = i;
            if (i < size && end > start && data[end - 1] == 0x0D) {
                --end;
            }
            Line line{std::wstring(), i < size};
            if (end > start && !decode_(codePage, data + start, end - start, &line.text)) {
                return false;
            }
            lines->push_back(std::move(line));
            start = i + 1;
        }
        return true;
    }

private:
    static std::wstring Utf16Line(std::vector<BYTE>& units) {
        if (units.size() >= 2 && units[units.size() - 2] == 0x0D && units.back() == 0) {
            units.resize(units.size() - 2);
        }
        return FromUtf16Le(units.data(), units.size() / 2);
    }

    CodePageDecoder decode_;
};

class ExportParser {
public:
    ExportParser(const std::vector<Line>& lines, CodePageDecoder decode, UINT dataCodePage)
        : lines_(lines), decode_(decode), dataCodePage_(dataCodePage) {}

    bool Parse(ExportContent* content, TextRefusal* refusal) {
        refusal_ = refusal;
        if (lines_.empty()) {
            *refusal_ = TextRefusal{};
            SetRefusalReason(refusal_, L"the file is empty");
            refusal_->line = 1;
            return false;
        }
        if (!Clean(0)) {
            return Refuse(0);
        }
        const std::wstring header = lines_.empty() ? std::wstring() : lines_[0].text;
        const std::wstring_view trimmed = std::wstring_view(header).substr(SkipBlanks(header, 0));
        const std::wstring_view name = trimmed.substr(0, trimmed.find_last_not_of(L" \t") + 1);
        if (name != kRegistryFileHeader && name != kRegedit4Header) {
            return Refuse(0, L"is not the header of a registry file");
        }
        regedit4_ = name == kRegedit4Header;
        for (index_ = 1; index_ < lines_.size(); ++index_) {
            if (!Clean(index_)) {
                return Refuse(index_);
            }
            const std::wstring& text = lines_[index_].text;
            const std::size_t pos = SkipBlanks(text, 0);
            if (pos == text.size()) {
                continue;
            }
            if (text[pos] == L';') {
                if (!ReadSourceComment(text, pos, content)) {
                    return false;
                }
                continue;
            }
            if (text[pos] == L'[') {
                if (!ReadKeyLine(text, pos, content)) {
                    return false;
                }
                continue;
            }
            if ((text[pos] == L'@' || text[pos] == L'"') && content->keys.empty()) {
                return Refuse(index_, L"holds a value before any key");
            }
            const std::size_t start = index_;
            if (text[pos] != L'@' && text[pos] != L'"') {
                return Refuse(index_);
            }
            if (!ReadValue(text, pos, &content->keys.back())) {
                // A hex list may have stopped on a continuation line.
                return index_ != start && !Clean(index_) ? Refuse(index_)
                                                         : Refuse(index_, ValueProblem(text, pos));
            }
        }
        return true;
    }

private:
    // Ended by a line feed, with no NUL and no other carriage return: a line
    // that every reader splits the same way.
    bool Clean(std::size_t index) const {
        return lines_[index].complete &&
               lines_[index].text.find_first_of(std::wstring_view(L"\0\r", 2)) == std::wstring::npos;
    }

    // Refuses line `index`; without `what`, the reason follows from how the
    // line was broken, or the line is simply not understood.
    bool Refuse(std::size_t index, std::wstring_view what = {}, std::wstring_view detail = {}) {
        refusal_->line = index + 1;
        refusal_->text = index < lines_.size() ? ShownLine(lines_[index].text) : std::wstring();
        if (what.empty() && index < lines_.size()) {
            what = !lines_[index].complete ? L"ends in the middle (the file is cut short)"
                   : !Clean(index)         ? L"holds a NUL character or a stray carriage return"
                                           : L"is neither a key nor a value that a backup holds";
        }
        SetRefusalReason(refusal_, what, detail);
        return false;
    }

    static std::wstring_view ValueProblem(const std::wstring& text, std::size_t pos) {
        const std::size_t equals = text.find(L'=', pos);
        if (equals != std::wstring::npos && SkipBlanks(text, equals + 1) < text.size() &&
            text[SkipBlanks(text, equals + 1)] == L'-') {
            return L"deletes a value; a backup deletes nothing";
        }
        return L"holds a value that cannot be read";
    }

    // Any other comment is skipped; a source comment must name an IANA zone
    // for the zone whose key it follows, as nothing else writes it.
    bool ReadSourceComment(const std::wstring& text, std::size_t pos, ExportContent* content) {
        const std::wstring_view line = std::wstring_view(text).substr(pos);
        const std::wstring_view prefix = kZoneSourceComment;
        if (line.substr(0, prefix.size()) != prefix) {
            return true;
        }
        std::wstring_view name = line.substr(prefix.size());
        name = name.substr(0, name.find_last_not_of(L" \t") + 1);
        const std::wstring_view below =
            content->keys.empty() ? std::wstring_view() : PathBelowTimeZones(content->keys.back().path);
        if (below.empty() || below.find(L'\\') != std::wstring_view::npos) {
            return Refuse(index_, L"gives an IANA zone outside a zone's key");
        }
        if (!content->keys.back().tzSource.empty()) {
            return Refuse(index_, L"gives the zone a second IANA zone");
        }
        if (!IsTzNameForm(name)) {
            return Refuse(index_, L"gives an IANA zone that is not a zone's name", name);
        }
        content->keys.back().tzSource = std::wstring(name);
        return true;
    }

    bool ReadKeyLine(const std::wstring& text, std::size_t pos, ExportContent* content) {
        const std::size_t close = text.rfind(L']');
        if (close == std::wstring::npos || close <= pos || !OnlyBlanksFrom(text, close + 1)) {
            return Refuse(index_, L"holds a key line without its closing bracket");
        }
        const std::wstring path = text.substr(pos + 1, close - pos - 1);
        for (wchar_t ch : path) {
            if (ch < 0x20) {
                return Refuse(index_, L"names a key with a control character");
            }
        }
        if (!path.empty() && path[0] == L'-') {
            return Refuse(index_, L"deletes a key; a backup deletes nothing");
        }
        if (!IsImportKeyAllowed(path)) {
            return Refuse(index_, L"names a key outside the time-zone database", path);
        }
        content->keys.push_back(ExportKey{path, index_ + 1, {}, {}});
        return true;
    }

    // A quoted text from `*pos` (its opening quote); `*pos` ends after the
    // closing quote. Only \\ and \" are escapes.
    static bool ReadQuoted(const std::wstring& text, std::size_t* pos, std::wstring* out) {
        out->clear();
        for (std::size_t i = *pos + 1; i < text.size(); ++i) {
            wchar_t ch = text[i];
            if (ch == L'"') {
                *pos = i + 1;
                return true;
            }
            if (ch == L'\\') {
                if (i + 1 == text.size() || (text[i + 1] != L'\\' && text[i + 1] != L'"')) {
                    return false;
                }
                ch = text[++i];
            }
            out->push_back(ch);
        }
        return false;
    }

    bool ReadValue(const std::wstring& text, std::size_t pos, ExportKey* key) {
        ExportValue value;
        value.line = index_ + 1;
        value.lineText = ShownLine(text);
        if (text[pos] == L'@') {
            value.isDefault = true;
            ++pos;
        } else if (!ReadQuoted(text, &pos, &value.name)) {
            return false;
        }
        pos = SkipBlanks(text, pos);
        if (pos == text.size() || text[pos] != L'=') {
            return false;
        }
        pos = SkipBlanks(text, pos + 1);
        const std::wstring_view data = std::wstring_view(text).substr(pos);
        bool ok = false;
        if (data.substr(0, 1) == L"\"") {
            std::wstring string;
            ok = ReadQuoted(text, &pos, &string) && OnlyBlanksFrom(text, pos);
            value.type = REG_SZ;
            value.data = ToUtf16Le(string, true);
        } else if (data.substr(0, 6) == L"dword:") {
            ok = ReadDword(text, pos + 6, &value.data);
            value.type = REG_DWORD;
        } else if (data.substr(0, 4) == L"hex:") {
            value.type = REG_BINARY;
            ok = ReadHexList(text, pos + 4, &value.data);
        } else if (data.substr(0, 4) == L"hex(") {
            ok = ReadHexType(text, &pos, &value.type) && ReadHexList(text, pos, &value.data) &&
                 StoreAsUtf16(value.type, &value.data);
        }
        // Anything else, a deletion ("=-") among it, is not understood.
        if (ok) {
            key->values.push_back(std::move(value));
        }
        return ok;
    }

    static bool ReadDword(const std::wstring& text, std::size_t pos, std::vector<BYTE>* data) {
        DWORD number = 0;
        for (std::size_t i = 0; i < 8; ++i, ++pos) {
            const int digit = pos < text.size() ? HexDigitValue(text[pos]) : -1;
            if (digit < 0) {
                return false;
            }
            number = number * 16 + static_cast<DWORD>(digit);
        }
        data->resize(4);
        WriteDwordLe(data->data(), number);
        return OnlyBlanksFrom(text, pos);
    }

    // "hex(" from `*pos`, one to eight hex digits, "):"; `*pos` ends after the colon.
    static bool ReadHexType(const std::wstring& text, std::size_t* pos, DWORD* type) {
        std::size_t i = *pos + 4;
        DWORD number = 0;
        std::size_t digits = 0;
        for (; i < text.size() && HexDigitValue(text[i]) >= 0; ++i, ++digits) {
            number = number * 16 + static_cast<DWORD>(HexDigitValue(text[i]));
        }
        if (digits == 0 || digits > 8 || text.compare(i, 2, L"):") != 0) {
            return false;
        }
        *type = number;
        *pos = i + 2;
        return true;
    }

    // Two-digit bytes separated by commas from `pos`; after a comma (or at the
    // start) a backslash at the end of the line continues the list on the next
    // line, which must go on with a byte. `index_` ends at the last line read.
    bool ReadHexList(const std::wstring& first, std::size_t pos, std::vector<BYTE>* bytes) {
        const std::wstring* text = &first;
        bool expectByte = true;
        while (true) {
            pos = SkipBlanks(*text, pos);
            if (!expectByte) {
                if (pos == text->size()) {
                    return true;
                }
                if ((*text)[pos] != L',') {
                    return false;
                }
                ++pos;
                expectByte = true;
                continue;
            }
            if (pos == text->size()) {
                return bytes->empty(); // a comma with nothing after it
            }
            if ((*text)[pos] == L'\\') {
                if (!OnlyBlanksFrom(*text, pos + 1) || index_ + 1 == lines_.size()) {
                    return false;
                }
                if (!Clean(++index_)) {
                    return false;
                }
                text = &lines_[index_].text;
                pos = SkipBlanks(*text, 0);
                if (pos == text->size()) {
                    return false;
                }
                continue;
            }
            const int high = HexDigitValue((*text)[pos]);
            const int low = pos + 1 < text->size() ? HexDigitValue((*text)[pos + 1]) : -1;
            if (high < 0 || low < 0 || (pos + 2 < text->size() && HexDigitValue((*text)[pos + 2]) >= 0)) {
                return false;
            }
            bytes->push_back(static_cast<BYTE>(high * 16 + low));
            pos += 2;
            expectByte = false;
        }
    }

    // The string types of a REGEDIT4 file hold code-page text; the registry
    // holds UTF-16.
    bool StoreAsUtf16(DWORD type, std::vector<BYTE>* data) const {
        if (!regedit4_ || (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ) ||
            data->empty()) {
            return true;
        }
        std::wstring text;
        if (!decode_(dataCodePage_, data->data(), data->size(), &text)) {
            return false;
        }
        *data = ToUtf16Le(text, false);
        return true;
    }

    const std::vector<Line>& lines_;
    CodePageDecoder decode_;
    UINT dataCodePage_;
    TextRefusal* refusal_ = nullptr;
    bool regedit4_ = false;
    std::size_t index_ = 0;
};

bool StartsWith(const std::vector<BYTE>& bytes, std::initializer_list<BYTE> mark) {
    return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
}

} // namespace

bool ReadExportText(const std::vector<BYTE>& bytes, CodePageDecoder decode, ExportContent* content,
                    TextRefusal* refusal) {
    *content = ExportContent{};
    *refusal = TextRefusal{};
    std::vector<Line> lines;
    LineSplitter splitter(decode);
    UINT dataCodePage = kAnsiCodePage;
    bool split = false;
    if (StartsWith(bytes, {0xEF, 0xBB, 0xBF})) {
        dataCodePage = kUtf8CodePage;
        split = splitter.SplitBytes(bytes.data() + 3, bytes.size() - 3, kUtf8CodePage, &lines);
    } else if (StartsWith(bytes, {0x0E, 0xFE, 0xFF}) || StartsWith(bytes, {0x00, 0x00, 0xFE, 0xFF})) {
        split = false; // the inspection refuses these marks before this reader runs
    } else if (StartsWith(bytes, {0xFE, 0xFF}) || StartsWith(bytes, {0xFF, 0xFE})) {
        split = splitter.SplitUtf16(bytes.data() + 2, bytes.size() - 2, bytes[0] == 0xFE, &lines);
    } else {
        split = splitter.SplitBytes(bytes.data(), bytes.size(), kAnsiCodePage, &lines);
    }
    if (!split) {
        refusal->line = lines.size() + 1;
        SetRefusalReason(refusal, L"cannot be read in the file's code page");
        return false;
    }
    ExportParser parser(lines, decode, dataCodePage);
    if (!parser.Parse(content, refusal)) {
        *content = ExportContent{};
        return false;
    }
    return true;
}

void SetRefusalReason(TextRefusal* refusal, std::wstring_view what, std::wstring_view detail) {
    const std::wstring where =
        refusal->line == 0 ? std::wstring() : L"line " + GroupedNumber(refusal->line) + L" ";
    refusal->plainReason = where + std::wstring(what);
    refusal->reason = refusal->plainReason;
    if (!detail.empty()) {
        refusal->reason += L" (" + ShownLine(detail) + L")";
    }
}

std::wstring GroupedNumber(std::size_t number) {
    std::wstring digits = std::to_wstring(number);
    for (std::size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, 1, L',');
    }
    return digits;
}

std::wstring CanonicalExportText(const ExportContent& content) {
    std::wstring text = kRegistryFileHeader;
    text += L"\n\n";
    for (const ExportKey& key : content.keys) {
        text += L"[" + key.path + L"]\n";
        if (!key.tzSource.empty()) {
            text += kZoneSourceComment + key.tzSource + L"\n";
        }
        for (const ExportValue& value : key.values) {
            const std::wstring data = FormatValueData(
                value.type, value.data.data(), static_cast<DWORD>(value.data.size()), StringForm::Exact);
            text += FormatValueLine(value.isDefault, value.name, data);
        }
        text += L"\n";
    }
    return text;
}

} // namespace tarvane
