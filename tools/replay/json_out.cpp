#include "json_out.h"

namespace replay {

QString jsonString(const QString& s) {
    QString out;
    out.reserve(s.size() + 2);
    out += QLatin1Char('"');
    for (QChar c : s) {
        switch (c.unicode()) {
        case '"': out += QLatin1String("\\\""); break;
        case '\\': out += QLatin1String("\\\\"); break;
        case '\b': out += QLatin1String("\\b"); break;
        case '\f': out += QLatin1String("\\f"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

QString jsonStringArray(const QStringList& items) {
    QString out = QStringLiteral("[");
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i) out += QLatin1Char(',');
        out += jsonString(items[i]);
    }
    out += QLatin1Char(']');
    return out;
}

}  // namespace replay
