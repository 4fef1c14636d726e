#include "analysis/AnalysisConverter.h"

#include "records/RecordMeasurement.h"
#include <QDateTime>
#include <QTimeZone>
#include <algorithm>
#include <array>
#include <cstring>

namespace tarnix::analysis {

namespace {

// The first and the last block of n bytes, n from one to two blocks: all
// of them, the blocks overlapping.
template <class Block>
void copyEnds(const char* from, qsizetype n, char* out) {
    Block head, tail;
    std::memcpy(&head, from, sizeof head);
    std::memcpy(&tail, from + n - qsizetype(sizeof tail), sizeof tail);
    std::memcpy(out, &head, sizeof head);
    std::memcpy(out + n - qsizetype(sizeof tail), &tail, sizeof tail);
}

// A field is a few bytes: copied in blocks of eight or four, the last
// overlapping, for a call to memcpy costs more than the copy.
char* write(QByteArrayView text, char* out) {
    const char* const from = text.data();
    const qsizetype n = text.size();
    if (n > 16) {
        std::memcpy(out, from, size_t(n));
    } else if (n >= qsizetype(sizeof(quint64))) {
        copyEnds<quint64>(from, n, out);
    } else if (n >= qsizetype(sizeof(quint32))) {
        copyEnds<quint32>(from, n, out);
    } else {
        for (qsizetype i = 0; i < n; ++i)
            out[i] = from[i];
    }
    return out + n;
}

// As csvField(): quoted, quotes doubled, when it holds a comma, a quote or
// a line break. At most twice its size plus 2.
char* writeCsvField(QByteArrayView text, char* out) {
    static constexpr auto Quoted = [] {
        std::array<bool, 256> quoted{};
        for (const unsigned char c : {',', '"', '\r', '\n'})
            quoted[c] = true;
        return quoted;
    }();
    const bool plain = std::none_of(text.begin(), text.end(),
                                    [](char c) { return Quoted[static_cast<unsigned char>(c)]; });
    if (plain)
        return write(text, out);
    *out++ = '"';
    for (const char c : text) {
        if (c == '"')
            *out++ = '"';
        *out++ = c;
    }
    *out++ = '"';
    return out;
}

} // namespace

char* writeBaseUnitValue(QByteArrayView display, int exponent, char* out) {
    PlainNumber n;
    return plainNumber(display, n) ? writeBaseUnitValue(n, exponent, out) : out;
}

char* writeBaseUnitValue(const PlainNumber& n, int exponent, char* out) {
    const qsizetype wholeDigits = n.whole.size();
    const qsizetype point = wholeDigits + exponent;
    char* w = out;
    if (n.negative)
        *w++ = '-';
    if (point <= 0) {
        *w++ = '0';
        *w++ = '.';
        std::memset(w, '0', size_t(-point));
        w += -point;
        w = write(n.whole, w);
        return write(n.fraction, w);
    }
    // The digits as one run, the point `point` digits in, zeros filling.
    char* const digits = w;
    w = write(n.whole, w);
    w = write(n.fraction, w);
    const qsizetype count = w - digits;
    if (point >= count) {
        std::memset(w, '0', size_t(point - count));
        w += point - count;
    } else {
        std::memmove(digits + point + 1, digits + point, size_t(count - point));
        digits[point] = '.';
        ++w;
    }
    // Leading zeros of the whole part go, one kept before a point or alone.
    qsizetype skip = 0;
    while (skip + 1 < w - digits && digits[skip] == '0' && digits[skip + 1] != '.')
        ++skip;
    if (skip > 0) {
        std::memmove(digits, digits + skip, size_t(w - digits - skip));
        w -= skip;
    }
    return w;
}

const AnalysisConverter::Kind& AnalysisConverter::kindOf(QByteArrayView function,
                                                         QByteArrayView range) {
    const RangeUnitBytes& unit = m_units.of(range);
    m_kind.known = true;
    m_kind.function = function.toByteArray();
    m_kind.range = range.toByteArray();
    m_kind.hasUnit = unit.hasUnit;
    m_kind.exponent = unit.exponent;
    QByteArray& middle = m_kind.middle;
    middle.resize(4 + unit.unit.size() + 2 * (function.size() + range.size() + 2));
    char* w = middle.data();
    *w++ = ',';
    w = write(unit.unit, w);
    *w++ = ',';
    w = writeCsvField(function, w);
    *w++ = ',';
    w = writeCsvField(range, w);
    *w++ = ',';
    middle.resize(w - middle.data());
    return m_kind;
}

bool AnalysisConverter::append(const records::LineFields& record, QByteArray& out,
                               qsizetype& used) {
    const qint64 wall = m_clock.wallMsOr(record[1], record[2]);
    if (wall == records::RecordClock::NoTime)
        return false;
    const int offset = m_offsets.offsetAt(wall);
    const qint64 utcMs = wall - offset * 1000LL;
    m_past = m_slice.isPast(utcMs);
    if (!m_slice.holds(utcMs))
        return true;
    const QByteArrayView function = record[3], range = record[4], display = record[5];
    // Most records are of the kind of the record before, which was of ASCII;
    // a display that is a plain number is of ASCII and needs no quotes.
    const bool sameKind = m_kind.known && records::sameText(m_kind.function, function) &&
                          records::sameText(m_kind.range, range);
    PlainNumber number;
    const bool plain = plainNumber(display, number);
    if (!(sameKind || (records::isAscii(function) && records::isAscii(range))) ||
        !(plain || records::isAscii(display))) {
        const QDateTime at = QDateTime::fromMSecsSinceEpoch(utcMs, QTimeZone(offset));
        const meter::Measurement m = records::measurementOfRecord(
            QString::fromUtf8(function), QString::fromUtf8(range), QString::fromUtf8(display));
        const QByteArray line =
            records::analysisLine(at, m, m_utc ? records::TimeZoneOut::Utc : records::TimeZoneOut::Local)
                .toUtf8() +
            records::CsvLineEnd;
        out.resize(used);
        out += line;
        used = out.size();
        return true;
    }
    const Kind& kind = sameKind ? m_kind : kindOf(function, range);
    // Room for the longest line these fields make, written in place.
    const qsizetype room = 40 + kind.middle.size() + 3 * display.size() + std::abs(kind.exponent);
    if (out.size() - used < room)
        out.resize(std::max(2 * out.size(), used + room));
    char* const start = out.data() + used;
    char* w = start;
    w = m_utc ? records::writeIsoTime(utcMs, std::nullopt, w)
              : records::writeIsoTime(wall, offset, w);
    *w++ = ',';
    if (kind.hasUnit && plain)
        w = writeBaseUnitValue(number, kind.exponent, w);
    w = write(kind.middle, w);
    w = plain ? write(display, w) : writeCsvField(display, w);
    *w++ = '\r';
    *w++ = '\n';
    used += w - start;
    return true;
}

} // namespace tarnix::analysis
