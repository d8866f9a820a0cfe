// The strict reading of a backup before a restore: the bytes of a registry
// export turned into the keys and typed values they name, or refused at the
// first line that is not plainly understood. The restore never hands the
// user's bytes to the registry import tool; it writes what was read here into
// a copy of its own (CanonicalExportText), so whatever a tool might make of a
// line that this reader refuses never matters.
//
// A pure function over bytes: no system call, so it can run under a fuzzer.
#pragma once

#include "platform/win_types.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarvane {

struct ExportValue {
    bool isDefault = false; // "@="
    std::wstring name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data; // the bytes the registry receives
    std::size_t line = 0;   // 1-based number of the line the value starts on
    std::wstring lineText;  // that line, for a refusal
};

struct ExportKey {
    std::wstring path; // as written between the brackets, the root name first
    std::size_t line = 0;
    std::vector<ExportValue> values; // in file order
    std::wstring tzSource;           // a zone's IANA source, from its comment line
};

struct ExportContent {
    std::vector<ExportKey> keys; // in file order
};

// The first line that stopped the reading: its 1-based number and its text
// without the blanks at both ends, with NUL and carriage return shown as \0
// and \r.
struct TextRefusal {
    std::size_t line = 0;
    std::wstring text;
    // What is wrong, as the user reads it after "The file cannot be restored: "
    // ("line 12 names a key outside the time-zone database (...)"); and the
    // same without any text of the file, for the log of an elevated program.
    std::wstring reason;
    std::wstring plainReason;
};

// Sets the refusal's two reasons: `what` follows "line N " (or stands alone
// when `line` is 0); `detail`, text of the file, is added in brackets to the
// user's reason only.
void SetRefusalReason(TextRefusal* refusal, std::wstring_view what, std::wstring_view detail = {});

// `number` with a comma between each group of three digits ("4,211").
std::wstring GroupedNumber(std::size_t number);

// Decodes `size` bytes (size > 0) of a code page into text; false on failure.
// DecodeCodePage in production; tests pass one of their own.
using CodePageDecoder = bool (*)(UINT codePage, const BYTE* data, std::size_t size, std::wstring* text);

// Reads a registry export in any encoding the inspection reads: UTF-16
// little- or big-endian or UTF-8 by their marks, else the ANSI code page; the
// text is split into lines on its raw bytes before each line is decoded, so a
// double-byte code page cannot swallow a line feed.
//
// Understood: the header "Windows Registry Editor Version 5.00" or
// "REGEDIT4"; blank lines and ";" comments; a zone's IANA source comment
// (kZoneSourceComment and a name of IsTzNameForm's form, once, in the block
// of a key directly below Time Zones); key lines of the keys that
// IsImportKeyAllowed names; value lines "name"= or @= (blanks around "=")
// with a quoted string (escapes \\ and \" only), dword: and eight hex digits,
// hex: or hex(n): with two-digit bytes and "\" continuation lines. In a
// REGEDIT4 file the data of hex(1), hex(2) and hex(7) are text in the file's
// code page and become UTF-16, as the import tool stores them.
//
// Refused: a NUL anywhere, a carriage return other than before a line feed, a
// last line without its line feed, a key outside the time-zone keys, the
// deletion of a key or value, a value before any key, and anything else not
// listed above.
bool ReadExportText(const std::vector<BYTE>& bytes, CodePageDecoder decode, ExportContent* content,
                    TextRefusal* refusal);

// The content as the export writer writes a backup ("Windows Registry Editor
// Version 5.00", the keys and values in their order, each source comment
// after its key line, bare line feeds). Read back, it gives the same content.
std::wstring CanonicalExportText(const ExportContent& content);

} // namespace tarvane
