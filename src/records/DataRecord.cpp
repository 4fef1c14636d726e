#include "records/DataRecord.h"

#include <QStringList>

namespace tarnix::records {

QString sampleDate(const QDateTime& at) { return at.date().toString(QStringLiteral("yy/MM/dd")); }

QString sampleTime(const QDateTime& at) {
    return at.time().toString(QStringLiteral("HH:mm:ss")) + QStringLiteral(".0");
}

RecordFields sampleRecord(qint64 number, const QDateTime& at, const QString& function,
                          const QString& range, const QString& value) {
    return {QString::number(number), sampleDate(at), sampleTime(at), function, range, value};
}

namespace {
QString joined(const RecordFields& fields, QChar separator) {
    QString text;
    for (int i = 0; i < FieldCount; ++i) {
        if (i)
            text += separator;
        text += fields[std::size_t(i)];
    }
    return text;
}
} // namespace

QString recordLine(const RecordFields& fields) { return joined(fields, u','); }

QString recordRow(const RecordFields& fields) { return joined(fields, u'\t'); }

} // namespace tarnix::records
