#include "records/AnalysisCsv.h"

#include "records/LocalOffsets.h"
#include "records/RecordMeasurement.h"

#include <QStringBuilder>
#include <QTimeZone>
#include <QStringList>
#include <algorithm>

namespace tarnix::records {

QString isoTime(const QDateTime& at, TimeZoneOut zone) {
    // Written by hand: QDateTime::toString reads its format anew on every
    // call, which a million-line conversion feels.
    const bool utc = zone == TimeZoneOut::Utc;
    const QDateTime fixed = at.toOffsetFromUtc(utc ? 0 : at.offsetFromUtc());
    const QDate d = fixed.date();
    const QTime t = fixed.time();
    const int offset = fixed.offsetFromUtc() / 60; // minutes
    const int size = std::abs(offset);
    // Fixed-width digits, written straight into the text.
    QString text = QStringLiteral("0000-00-00T00:00:00.000+00:00");
    QChar* out = text.data();
    const auto put = [out](int at, int value, int width) {
        for (int i = at + width - 1; i >= at; --i, value /= 10)
            out[i] = QChar(u'0' + value % 10);
    };
    put(0, d.year(), 4);
    put(5, d.month(), 2);
    put(8, d.day(), 2);
    put(11, t.hour(), 2);
    put(14, t.minute(), 2);
    put(17, t.second(), 2);
    put(20, t.msec(), 3);
    if (utc) {
        text.truncate(23);
        return text + u'Z';
    }
    out[23] = offset < 0 ? u'-' : u'+';
    put(24, size / 60, 2);
    put(27, size % 60, 2);
    return text;
}

QString csvField(const QString& text) {
    const bool plain = std::none_of(text.begin(), text.end(), [](QChar c) {
        return c == u',' || c == u'"' || c == u'\r' || c == u'\n';
    });
    if (plain)
        return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString analysisLine(const QDateTime& at, const meter::Measurement& m, TimeZoneOut zone) {
    // Built in one piece: a million-line conversion feels every allocation.
    return isoTime(at, zone) % u',' % m.baseText % u',' % m.unit % u',' % csvField(m.function) %
           u',' % csvField(m.range) % u',' % csvField(m.display);
}

namespace {

// Two digits at `at`, or -1.
int twoDigits(QStringView text, qsizetype at) {
    if (at + 1 >= text.size() || !text[at].isDigit() || !text[at + 1].isDigit())
        return -1;
    return text[at].digitValue() * 10 + text[at + 1].digitValue();
}

// The local offset from UTC of an hour, kept for the next record: records
// come in order, and asking the system for every one would cost more than
// the rest of the conversion.
int localOffsetOf(const QDate& day, int hour) {
    thread_local QDate lastDay;
    thread_local int lastHour = -1;
    thread_local int lastOffset = 0;
    if (day != lastDay || hour != lastHour) {
        lastDay = day;
        lastHour = hour;
        // The hour skipped in spring takes the offset before it.
        lastOffset = localOffsetAt(QDateTime(day, QTime(hour, 0), QTimeZone::utc()).toMSecsSinceEpoch());
    }
    return lastOffset;
}

} // namespace

std::optional<QDateTime> recordTime(QStringView date, QStringView time) {
    // Fixed widths: "26/12/06" and "13:07:18" with an optional ".4".
    date = date.trimmed();
    time = time.trimmed();
    const bool dateForm = date.size() == 8 && date[2] == u'/' && date[5] == u'/';
    const bool timeForm = (time.size() == 8 || (time.size() == 10 && time[8] == u'.')) &&
                          time[2] == u':' && time[5] == u':';
    if (!dateForm || !timeForm)
        return std::nullopt;
    int tenths = 0; // "13:07:18" has none
    if (time.size() == 10)
        tenths = time[9].isDigit() ? time[9].digitValue() : -1;
    const int parts[] = {twoDigits(date, 0), twoDigits(date, 3), twoDigits(date, 6),
                         twoDigits(time, 0), twoDigits(time, 3), twoDigits(time, 6), tenths};
    if (std::any_of(std::begin(parts), std::end(parts), [](int p) { return p < 0; }))
        return std::nullopt;
    const QDate day(2000 + parts[0], parts[1], parts[2]);
    const QTime clock(parts[3], parts[4], parts[5], parts[6] * 100);
    if (!day.isValid() || !clock.isValid())
        return std::nullopt;
    return QDateTime(day, clock, Qt::OffsetFromUTC, localOffsetOf(day, parts[3]));
}

std::optional<QString> analysisLineOf(const RecordFields& record, TimeZoneOut zone) {
    const auto at = recordTime(record[1], record[2]);
    if (!at)
        return std::nullopt;
    return analysisLine(*at, measurementOfRecord(record[3], record[4], record[5]), zone);
}

} // namespace tarnix::records
