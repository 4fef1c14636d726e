#include "records/CsvSplit.h"

namespace tarnix::records {

QStringList csvSplit(QByteArrayView line) {
    QStringList fields;
    fields.reserve(8);
    if (!line.contains('"')) { // the common line: commas only, no copy byte by byte
        qsizetype from = 0;
        for (qsizetype comma; (comma = line.indexOf(',', from)) >= 0; from = comma + 1)
            fields.append(QString::fromUtf8(line.sliced(from, comma - from)));
        fields.append(QString::fromUtf8(line.sliced(from)));
        return fields;
    }
    QByteArray field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"')
                field += c;
            else if (i + 1 < line.size() && line[i + 1] == '"')
                field += line[++i];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.append(QString::fromUtf8(field));
            field.clear();
        } else {
            field += c;
        }
    }
    fields.append(QString::fromUtf8(field));
    return fields;
}

} // namespace tarnix::records
