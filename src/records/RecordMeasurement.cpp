#include "records/RecordMeasurement.h"

#include "meter/LeadingNumber.h"

#include <cstring>

namespace tarnix::records {

namespace {
bool contains(QByteArrayView text, char c) {
    return !text.isEmpty() && std::memchr(text.data(), c, std::size_t(text.size())) != nullptr;
}
} // namespace

meter::Measurement measurementOfRecord(const QString& function, const QString& range,
                                       const QString& value) {
    return meter::measurementFromTexts(function, range, value);
}

ValueCell valueCell(QByteArrayView value, QByteArrayView range) {
    if (contains(value, 'L'))
        return {0, contains(value, '-') ? -1 : 1, range};
    return {meter::leadingNumber(value), 0, range};
}

} // namespace tarnix::records
