#include "ui/trend/TrendExport.h"

#include "core/FileCommands.h"
#include "core/TrendSource.h"
#include "platform/AtomicFile.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

namespace tarnix::ui {

namespace {

bool writeWhole(const QString& path, const QByteArray& bytes, QString* error) {
    platform::AtomicFile file(path);
    if (file.open() && file.write(bytes) && file.commit())
        return true;
    *error = file.errorString();
    return false;
}

QByteArray png(const TrendScene& scene, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    paintTrend(painter, size, scene);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray svg(const TrendScene& scene, QSize size, const QString& title) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(title);
    QPainter painter(&generator);
    paintTrend(painter, size, scene);
    painter.end();
    return bytes;
}

} // namespace

QString trendSaveFilter() {
    return QStringLiteral("PNG Image (*.png);;SVG Image (*.svg);;CSV for analysis (*.csv)");
}

bool saveTrend(const QString& path, const TrendScene& scene, QSize size,
               const core::TrendSource& source, QString* error) {
    const QString lower = path.toLower();
    if (lower.endsWith(u".png"))
        return writeWhole(path, png(scene, size), error);
    if (lower.endsWith(u".svg"))
        return writeWhole(path, svg(scene, size, path.section(u'/', -1)), error);
    if (!lower.endsWith(u".csv")) {
        *error = QStringLiteral("%1: give a name ending in .png, .svg or .csv").arg(path);
        return false;
    }
    // The readings of the span, as `tarnix-log convert --from --to` writes them.
    core::ConvertOptions options;
    options.inputs = source.paths();
    options.output = path;
    options.slice = {scene.frame.fromMs, scene.frame.toMs + 1};
    QStringList said;
    const core::FileCommandOutput output{[](QByteArrayView) { return true; },
                                         [&](const QString& line) { said << line; }};
    const int status = source.records()
                           ? core::runConvert(*source.records(), {}, options, output)
                           : core::runConvert(options, output);
    if (status != 0)
        *error = said.join(u'\n');
    return status == 0;
}

} // namespace tarnix::ui
