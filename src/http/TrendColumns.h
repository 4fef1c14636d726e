#pragma once

#include "trend/TrendData.h"

#include <QByteArray>

namespace tarnix::http {

// The trend of [fromMs, toMs) in `columns` columns of equal time, as JSON:
// {"from":"...","to":"...","columns":N,"series":[{"function":"DCV",
// "range":"200mV","unit":"V","min":[...],"max":[...],"first":[...],
// "last":[...]}]}, a column without a reading (or one that is no number:
// OL) null. The minimum and maximum of any column come from the series'
// min/max pyramid, so a year costs as little as an hour.
QByteArray trendColumnsJson(const trend::TrendData& data, qint64 fromMs, qint64 toMs, int columns);

} // namespace tarnix::http
