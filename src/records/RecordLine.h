#pragma once

#include "records/DataRecord.h"

#include <QByteArrayView>
#include <array>
#include <cstring>
#include <string>

namespace tarnix::records {

// The six fields of a data-file line that is one record.
using LineFields = std::array<QByteArrayView, FieldCount>;

// A line longer than this is no record: a line a program writes is some 40 bytes.
inline constexpr qsizetype LongestRecordLine = 64 * 1024;

// What a data-file line is, for every reader of data files alike. A line
// (without its line end) is one record when it splits at "," into exactly six
// fields, the first of them a whole number, and each field is either
// - plain: no double quote and no control character (NUL, tab, DEL ...), the
//   blanks (spaces and tabs) around it dropped; or
// - wholly in double quotes, which keeps its commas, "" in it being one quote.
// Anything else is no record and is skipped whole, never mended: a quote in
// the middle of a value (-12"34) or a field cut by NUL bytes would otherwise
// give a wrong number or a function nobody measured. Fields point into
// `line`, or into `scratch` for a quoted field with "" in it.
bool recordFields(QByteArrayView line, LineFields& fields, std::string& scratch);

// The same rule on the line that starts at `p`: returns where its text ends
// (at the first CR or LF), or nullptr when `end` comes first. A line of six
// plain fields, nearly every line a program wrote, is judged in the same
// pass that finds its end.
const char* readRecordLine(const char* p, const char* end, LineFields& fields, bool& record,
                           std::string& scratch);

// The first CR or LF in [p, end), or end.
const char* findLineEnd(const char* p, const char* end);

// Whether two texts hold the same bytes: a few each time, as a function
// or range is, compared in blocks of eight or four (the last overlapping),
// for a call to memcmp costs more than the comparison.
[[gnu::always_inline]] inline bool sameText(QByteArrayView x, QByteArrayView y) {
    if (x.size() != y.size())
        return false;
    const char* const a = x.data();
    const char* const b = y.data();
    const qsizetype n = x.size();
    const auto eight = [](const char* p) {
        quint64 v;
        std::memcpy(&v, p, 8);
        return v;
    };
    const auto four = [](const char* p) {
        quint32 v;
        std::memcpy(&v, p, 4);
        return v;
    };
    if (n >= 8) {
        for (qsizetype i = 0; i + 8 < n; i += 8)
            if (eight(a + i) != eight(b + i))
                return false;
        return eight(a + n - 8) == eight(b + n - 8);
    }
    if (n >= 4)
        return four(a) == four(b) && four(a + n - 4) == four(b + n - 4);
    for (qsizetype i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

// A control character: below a space, or DEL.
inline bool isControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

// Only ASCII: bytes that read the same as text.
inline bool isAscii(QByteArrayView text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// The text without what QString::trimmed() drops around it, for ASCII:
// spaces and the control characters from tab to CR.
inline QByteArrayView trimmedAscii(QByteArrayView text) {
    const auto space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (!text.isEmpty() && space(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && space(text.back()))
        text.chop(1);
    return text;
}

} // namespace tarnix::records
