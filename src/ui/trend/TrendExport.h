#pragma once

#include "ui/trend/TrendPainter.h"

#include <QString>

namespace tarnix::core {
class TrendSource;
}

namespace tarnix::ui {

// The trend as a file: the picture of `scene` at `size` as PNG or SVG, or
// the readings between the scene's ends as analysis CSV, by how `path` ends,
// read from the source's files or list. The file is replaced whole or not
// at all. False with the reason in `error`.
bool saveTrend(const QString& path, const TrendScene& scene, QSize size,
               const core::TrendSource& source, QString* error);

// What the save box offers, the picture first.
QString trendSaveFilter();

} // namespace tarnix::ui
