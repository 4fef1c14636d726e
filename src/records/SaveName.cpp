#include "records/SaveName.h"

namespace tarnix::records {

QString withFilterExtension(const QString& path, QStringView filter) {
    const QStringView name = QStringView(path).mid(path.lastIndexOf(u'/') + 1);
    if (name.isEmpty() || name.contains(u'.'))
        return path;
    // The filter's pattern stands in brackets: "Data Files (*.dat)".
    const qsizetype open = filter.indexOf(u"(*.");
    const qsizetype close = filter.indexOf(u')', open);
    if (open < 0 || close < 0)
        return path;
    const QStringView extension = filter.mid(open + 3, close - open - 3);
    if (extension == u"dat" || extension == u"*")
        return path;
    return path + u'.' + extension.toString();
}

} // namespace tarnix::records
