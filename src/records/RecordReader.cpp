#include "records/RecordReader.h"

namespace tarnix::records {

template class BasicRecordReader<std::function<void(QByteArrayView line, const LineFields* record)>>;

} // namespace tarnix::records
