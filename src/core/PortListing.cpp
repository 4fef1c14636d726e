#include "core/PortListing.h"

namespace tarnix::core {

namespace {

// Tabs and line ends inside a field would split it for the reader.
QString field(const QString& text) {
    QString clean = text;
    clean.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
    return clean.trimmed();
}
} // namespace

QString portListing(const QList<platform::SerialDevice>& devices) {
    QString text;
    for (qsizetype i = 0; i < devices.size(); ++i) {
        const platform::SerialDevice& d = devices[i];
        const QString com = i < platform::ComNames ? QStringLiteral("COM%1").arg(i + 1) : QString();
        text += QStringList{com,
                            field(d.path),
                            field(d.byId),
                            field(d.description),
                            field(d.manufacturer),
                            field(d.serialNumber)}
                    .join(u'\t') +
                u'\n';
    }
    return text;
}

} // namespace tarnix::core
