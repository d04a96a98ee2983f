#include "vp2_format.h"

#include "panel_document.h"

#include <QTextCodec>
#include <algorithm>

namespace panelfile {

namespace {

int cellInt(const QVector<QStringList> &rows, long long r, int f)
{
    if (r < 0 || r >= rows.size() || f >= rows[int(r)].size())
        return 0;
    bool ok = false;
    const int v = rows[int(r)][f].trimmed().toInt(&ok);
    return ok ? v : 0;
}

QString cellStr(const QVector<QStringList> &rows, int r, int f)
{
    if (r >= rows.size() || f >= rows[r].size())
        return QString();
    return rows[r][f];
}

QVector<Vp2Component> block(const QVector<QStringList> &rows, long long start, int count, int max)
{
    QVector<Vp2Component> out;
    const int n = std::clamp(count, 0, max);
    for (int i = 0; i < n; ++i) {
        Vp2Component c;
        c.visible = cellInt(rows, start + i, 1) != 0;
        c.x = cellInt(rows, start + i, 2);
        c.y = cellInt(rows, start + i, 3);
        c.lying = cellInt(rows, start + i, 4) != 0;
        out.append(c);
    }
    return out;
}

QString safeField(QString s)
{
    s.replace(QLatin1Char(','), QChar(0xFF0C));
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return s;
}

} // namespace

QString decodeVp2Text(const QByteArray &bytes)
{
    QTextCodec *local = QTextCodec::codecForLocale();
    QTextCodec::ConverterState state;
    const QString text = local->toUnicode(bytes.constData(), bytes.size(), &state);
    // Panels written on Chinese Windows carry their names in GBK. Where the local encoding is
    // UTF-8 such bytes are not valid UTF-8; read them as GB18030 (a superset of GBK) rather
    // than as replacement characters. Valid UTF-8 reads exactly as before.
    if (state.invalidChars > 0 && local->mibEnum() == 106) {
        if (QTextCodec *gb = QTextCodec::codecForName("GB18030"))
            return gb->toUnicode(bytes);
    }
    return text;
}

QVector<QStringList> splitVp2Lines(const QByteArray &bytes, int maxLines)
{
    QVector<QStringList> rows;
    const QString text = decodeVp2Text(bytes);
    // Walk the lines instead of splitting all of them: reading stops at the first empty one.
    int from = 0;
    while (from <= text.size() && rows.size() < maxLines) {
        int nl = text.indexOf(QLatin1Char('\n'), from);
        if (nl < 0)
            nl = text.size();
        QStringView line = QStringView(text).mid(from, nl - from);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty())
            break;
        // Only the first eight fields are kept; the rest of a long line is never split.
        QStringList cells;
        int at = 0;
        while (cells.size() < 8 && at >= 0) {
            const int comma = line.indexOf(QLatin1Char(','), at);
            cells.append(line.mid(at, comma < 0 ? -1 : comma - at).toString());
            at = comma < 0 ? -1 : comma + 1;
        }
        while (cells.size() < 8)
            cells.append(QString());
        rows.append(cells);
        from = nl + 1;
    }
    return rows;
}

Vp2Panel decodeVp2(const QVector<QStringList> &rows)
{
    Vp2Panel p;
    p.name = cellStr(rows, 0, 0).simplified();
    p.backgroundFileName = cellStr(rows, 0, 1);
    p.backgroundSize = QSize(cellInt(rows, 0, 2), cellInt(rows, 0, 3));
    p.description = cellStr(rows, 0, 4).simplified();
    p.switchSize = QSize(cellInt(rows, 2, 0), cellInt(rows, 2, 1));
    p.buttonSize = QSize(cellInt(rows, 2, 2), cellInt(rows, 2, 3));
    p.ledSize = QSize(cellInt(rows, 2, 4), cellInt(rows, 2, 5));
    p.sstubeSize = QSize(cellInt(rows, 2, 6), cellInt(rows, 2, 7));
    const int nS = cellInt(rows, 1, 0), nK = cellInt(rows, 1, 1), nR = cellInt(rows, 1, 2), nG = cellInt(rows, 1, 3),
              nD = cellInt(rows, 1, 4);
    // Offsets follow the file's own counts (even negative or oversized ones) in 64 bits.
    long long at = 3;
    p.switches = block(rows, at, nS, kSwitchCount);
    at += nS;
    p.keys = block(rows, at, nK, kKeyCount);
    at += nK;
    p.redLeds = block(rows, at, nR, kRedLedCount);
    at += nR;
    p.greenLeds = block(rows, at, nG, kGreenLedCount);
    at += nG;
    p.digits = block(rows, at, nD, kDigitCount);
    return p;
}

QString vp2HeaderLines(const Vp2Panel &p)
{
    QString out;
    auto num = [](int v) { return QString::number(v); };
    auto sz = [&](QSize s) { return num(s.width()) + QLatin1Char(',') + num(s.height()); };
    out += safeField(p.name) + QLatin1Char(',') + safeField(p.backgroundFileName) + QLatin1Char(',') +
           sz(p.backgroundSize) + QLatin1Char(',') + safeField(p.description) + QStringLiteral(",0,0,1\n");
    out += QStringList{num(p.switches.size()), num(p.keys.size()), num(p.redLeds.size()), num(p.greenLeds.size()),
                       num(p.digits.size())}
               .join(QLatin1Char(',')) +
           QLatin1Char('\n');
    out += sz(p.switchSize) + QLatin1Char(',') + sz(p.buttonSize) + QLatin1Char(',') + sz(p.ledSize) +
           QLatin1Char(',') + sz(p.sstubeSize) + QLatin1Char('\n');
    return out;
}

QByteArray writeVp2(const Vp2Panel &p)
{
    QString out = vp2HeaderLines(p);
    auto num = [](int v) { return QString::number(v); };
    const std::pair<const char *, const QVector<Vp2Component> *> blocks[] = {{"sw", &p.switches},
                                                                             {"key", &p.keys},
                                                                             {"redLed", &p.redLeds},
                                                                             {"greenLed", &p.greenLeds},
                                                                             {"sstube", &p.digits}};
    for (const auto &b : blocks) {
        for (int i = 0; i < b.second->size(); ++i) {
            const Vp2Component &c = (*b.second)[i];
            out += QLatin1String(b.first) + num(i) + QLatin1Char(',') + num(c.visible ? 1 : 0) + QLatin1Char(',') +
                   num(c.x) + QLatin1Char(',') + num(c.y) + QLatin1Char(',') + num(c.lying ? 1 : 0) +
                   QStringLiteral(",\n");
        }
    }
    return QTextCodec::codecForLocale()->fromUnicode(out);
}

} // namespace panelfile
