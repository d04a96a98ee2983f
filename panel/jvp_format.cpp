#include "jvp_format.h"

#include "base64_text.h"

#include <QBuffer>
#include <QImageReader>
#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace panelfile {

int kindCount(Kind k)
{
    switch (k) {
    case Kind::Switch: return kSwitchCount;
    case Kind::Key: return kKeyCount;
    case Kind::RedLed: return kRedLedCount;
    case Kind::GreenLed: return kGreenLedCount;
    case Kind::Digit: return kDigitCount;
    default: return 0;
    }
}

namespace {

QJsonObject xy(int x, int y)
{
    QJsonObject o;
    o.insert(QStringLiteral("x"), x);
    o.insert(QStringLiteral("y"), y);
    return o;
}

QJsonObject xy(QSize s) { return xy(s.width(), s.height()); }

// Absent, non-numeric or fractional numbers read as 0; out-of-int values too.
int toInt(const QJsonValue &v)
{
    if (!v.isDouble())
        return 0;
    const double d = v.toDouble();
    if (!std::isfinite(d) || d != std::floor(d) || d > 2147483647.0 || d < -2147483648.0)
        return 0;
    return static_cast<int>(d);
}

QString toStr(const QJsonValue &v) { return v.isString() ? v.toString() : QString(); }

bool sizeMember(const QJsonObject &top, const char *key, QSize &out, int grow = 0)
{
    const auto it = top.constFind(QLatin1String(key));
    if (it == top.constEnd())
        return false;
    const QJsonObject o = it->toObject();
    // The grown size saturates: a file may hold the largest int.
    auto grown = [grow](int v) {
        return static_cast<int>(std::min<long long>(static_cast<long long>(v) + grow, 2147483647LL));
    };
    out = QSize(grown(toInt(o.value(QStringLiteral("x")))), grown(toInt(o.value(QStringLiteral("y")))));
    return true;
}

// A picture's header can claim any size; refuse what would need more than 256 MB of pixels
// rather than let a few bytes of file allocate gigabytes.
QImage loadPicture(const QByteArray &bytes)
{
    QBuffer buf;
    buf.setData(bytes);
    buf.open(QIODevice::ReadOnly);
    QImageReader reader(&buf);
    reader.setDecideFormatFromContent(true);
    const QSize claimed = reader.size();
    if (claimed.isValid() && qint64(claimed.width()) * claimed.height() > kMaxPicturePixels) {
        qDebug() << "background picture too large:" << claimed;
        return QImage();
    }
    return reader.read();
}

QPoint posOf(const QJsonObject &entry)
{
    const QJsonObject p = entry.value(QStringLiteral("position")).toObject();
    return QPoint(toInt(p.value(QStringLiteral("x"))), toInt(p.value(QStringLiteral("y"))));
}

} // namespace

QByteArray writeJvp(Document &doc)
{
    int w = 0, h = 0;
    if (!doc.background.isNull()) {
        w = doc.background.width();
        h = doc.background.height();
    } else {
        int mx = 0, my = 0;
        for (const Entry &e : doc.entries) {
            if (e.kind == Kind::DataSlot || e.kind == Kind::TextLabel)
                continue;
            mx = std::max(mx, e.pos.x());
            my = std::max(my, e.pos.y());
        }
        w = mx + 20;
        h = my + 20;
    }
    // Positions are relative to the picture's centre, wherever the picture is drawn: a panel
    // read with components left of the picture keeps them there when it is saved again.
    const QPoint origin = doc.background.isNull() ? QPoint() : doc.backgroundOrigin;
    const int hw = w / 2 + origin.x(), hh = h / 2 + origin.y();

    QJsonArray comps;
    int ordinal = 0;
    // Fixed kinds go out grouped by kind, ascending index; lists keep their order.
    const Kind fixedOrder[] = {Kind::Switch, Kind::Key, Kind::RedLed, Kind::GreenLed, Kind::Digit};
    for (Kind k : fixedOrder) {
        QVector<const Entry *> of;
        for (const Entry &e : doc.entries)
            if (e.kind == k && e.index >= 0 && e.index < kindCount(k))
                of.append(&e);
        std::stable_sort(of.begin(), of.end(), [](const Entry *a, const Entry *b) { return a->index < b->index; });
        for (const Entry *e : of) {
            QJsonObject o;
            o.insert(QStringLiteral("key"), ordinal++);
            o.insert(QStringLiteral("position"), xy(e->pos.x() - hw, e->pos.y() - hh));
            switch (k) {
            case Kind::Switch: {
                QJsonObject v;
                v.insert(QStringLiteral("checked"), 0);
                v.insert(QStringLiteral("isVertical"), e->upright);
                o.insert(QStringLiteral("index"), e->index);
                o.insert(QStringLiteral("type"), QStringLiteral("switch"));
                o.insert(QStringLiteral("value"), v);
                break;
            }
            case Kind::Key:
                o.insert(QStringLiteral("index"), e->index);
                o.insert(QStringLiteral("type"), QStringLiteral("button"));
                o.insert(QStringLiteral("value"), 0);
                break;
            case Kind::RedLed:
            case Kind::GreenLed: {
                const bool green = k == Kind::GreenLed;
                QJsonObject v;
                v.insert(QStringLiteral("color"), green ? QStringLiteral("green") : QStringLiteral("red"));
                v.insert(QStringLiteral("on"), 0);
                o.insert(QStringLiteral("index"), green ? kRedLedCount + e->index : e->index);
                o.insert(QStringLiteral("type"), QStringLiteral("led"));
                o.insert(QStringLiteral("value"), v);
                break;
            }
            default: {
                QJsonArray segs;
                for (int i = 0; i < 8; ++i)
                    segs.append(false);
                o.insert(QStringLiteral("index"), e->index);
                o.insert(QStringLiteral("type"), QStringLiteral("sstube"));
                o.insert(QStringLiteral("value"), segs);
                break;
            }
            }
            comps.append(o);
        }
    }
    for (Kind k : {Kind::DataSlot, Kind::TextLabel}) {
        for (const Entry &e : doc.entries) {
            if (e.kind != k)
                continue;
            QJsonObject o;
            o.insert(QStringLiteral("key"), e.key);
            o.insert(QStringLiteral("index"), e.index);
            o.insert(QStringLiteral("position"), xy(e.pos.x() - hw, e.pos.y() - hh));
            if (k == Kind::DataSlot) {
                QJsonObject v;
                v.insert(QStringLiteral("bitWidth"), e.bitWidth);
                v.insert(QStringLiteral("data"), e.text);
                v.insert(QStringLiteral("isVertical"), e.isVertical);
                o.insert(QStringLiteral("type"), QStringLiteral("data"));
                o.insert(QStringLiteral("value"), v);
            } else {
                o.insert(QStringLiteral("type"), QStringLiteral("text"));
                o.insert(QStringLiteral("value"), e.text);
            }
            comps.append(o);
        }
    }

    if (doc.imageFormat == QLatin1String("bmp"))
        doc.imageFormat = QStringLiteral("jpg");
    QByteArray encoded;
    if (!doc.background.isNull()) {
        QBuffer buf(&encoded);
        buf.open(QIODevice::WriteOnly);
        // A format nobody can write (a "gif" picture, a stray suffix) would drop the
        // picture from the file; keep it as png instead.
        if (!doc.background.save(&buf, doc.imageFormat.toLatin1().constData(), 80)) {
            encoded.clear();
            buf.seek(0);
            doc.imageFormat = QStringLiteral("png");
            doc.background.save(&buf, "png", 80);
        }
    }

    QJsonObject top;
    // The picture's base64 text goes straight into the output below rather than through the
    // JSON value as UTF-16 and back: it is megabytes long and needs no escaping.
    top.insert(QStringLiteral("backgroundImage"),
               QString(QStringLiteral("data:image/") + doc.imageFormat + QStringLiteral(";base64,")));
    top.insert(QStringLiteral("backgroundSize"), xy(w, h));
    top.insert(QStringLiteral("buttonSize"), xy(doc.buttonSize));
    top.insert(QStringLiteral("components"), comps);
    top.insert(QStringLiteral("dataFontSize"), 14);
    top.insert(QStringLiteral("description"), doc.description);
    top.insert(QStringLiteral("flag"), QStringLiteral("jsonvirtualpanel"));
    // Readers that do not know this member pass over it; a panel on the defaults leaves it out.
    if (doc.keyBindings != KeyBindings::defaults())
        top.insert(QStringLiteral("keyBindings"), doc.keyBindings.toJson());
    top.insert(QStringLiteral("keyChainLength"), 20);
    top.insert(QStringLiteral("ledChainLength"), 36);
    // Readers add 10 to each side; files have always carried 16 x 16 here.
    top.insert(QStringLiteral("ledSize"), xy(16, 16));
    top.insert(QStringLiteral("name"), doc.name);
    top.insert(QStringLiteral("sstubeChainLength"), 64);
    top.insert(QStringLiteral("sstubeSize"), xy(doc.sstubeSize));
    top.insert(QStringLiteral("switchChainLength"), 36);
    top.insert(QStringLiteral("switchSize"), xy(doc.switchSize));
    top.insert(QStringLiteral("textFontSize"), 14);
    top.insert(QStringLiteral("version"), QStringLiteral("1.2.2"));
    QByteArray out = QJsonDocument(top).toJson(QJsonDocument::Indented);
    if (!encoded.isEmpty()) {
        // "backgroundImage" sorts first, so its value ends the first line after "{": a string
        // never holds a raw line break, and the line ends in the closing quote and a comma.
        const int firstMember = out.indexOf('\n') + 1;
        const int lineEnd = out.indexOf('\n', firstMember);
        if (lineEnd >= 2 && out.at(lineEnd - 2) == '"' && out.at(lineEnd - 1) == ',')
            out.insert(lineEnd - 2, encoded.toBase64());
    }
    return out;
}

bool readJvp(const QByteArray &bytes, Document &result, Geometry *geometry, ReadProblem *problem)
{
    const auto fail = [problem](ReadProblem why) {
        if (problem)
            *problem = why;
        return false;
    };
    if (problem)
        *problem = ReadProblem::None;
    QJsonParseError err{};
    QJsonDocument jd = QJsonDocument::fromJson(bytes, &err);
    if (err.error != QJsonParseError::NoError) {
        qDebug() << "json error!";
        return fail(ReadProblem::NotJson);
    }
    if (!jd.isObject())
        return fail(ReadProblem::NotObject);
    // Filled apart and handed over only once the whole file has been read.
    Document doc = result;
    QJsonObject top = jd.object();
    doc.name = toStr(top.value(QStringLiteral("name")));
    doc.description = toStr(top.value(QStringLiteral("description")));

    const QJsonValue compsValue = top.value(QStringLiteral("components"));
    const QJsonArray comps = compsValue.isArray() ? compsValue.toArray() : QJsonArray();

    Geometry g;
    QSize sz;
    if (sizeMember(top, "panelSize", sz)) {
        g.panelSize = sz;
        g.offset = QPoint(-(sz.width() / 2), -(sz.height() / 2));
    } else if (sizeMember(top, "backgroundSize", sz)) {
        int mx = 10000, my = 10000;
        for (const QJsonValue &v : comps) {
            const QPoint p = posOf(v.toObject());
            mx = std::min(mx, p.x());
            my = std::min(my, p.y());
        }
        int w = sz.width(), h = sz.height();
        if (w == 0 || h == 0) {
            g.offset = QPoint(mx, my);
        } else {
            const int cx = -(w / 2), cy = -(h / 2);
            int ox = cx, oy = cy, dw = 0, dh = 0;
            // Widen in 64 bits: a hostile position must not overflow the size.
            if (mx < cx) {
                ox = mx;
                dw = static_cast<int>(std::min<long long>(static_cast<long long>(cx) - mx, 1000000));
                w = static_cast<int>(std::min<long long>(static_cast<long long>(w) + dw, 1000000));
            }
            if (my < cy) {
                oy = my;
                dh = static_cast<int>(std::min<long long>(static_cast<long long>(cy) - my, 1000000));
                h = static_cast<int>(std::min<long long>(static_cast<long long>(h) + dh, 1000000));
            }
            g.offset = QPoint(ox, oy);
            g.extension = QSize(dw, dh);
        }
        g.panelSize = QSize(w, h);
    }

    sizeMember(top, "switchSize", doc.switchSize);
    sizeMember(top, "buttonSize", doc.buttonSize);
    sizeMember(top, "sstubeSize", doc.sstubeSize);
    sizeMember(top, "ledSize", doc.ledSize, 10);

    doc.keyBindings = KeyBindings::fromJson(top.value(QStringLiteral("keyBindings")));

    const QString bg = toStr(top.value(QStringLiteral("backgroundImage")));
    // The parsed document still holds the picture's text once more; only the components
    // (their own array) are needed from here on.
    top = QJsonObject();
    jd = QJsonDocument();
    // Views, not copies: the text after the first ';' is the whole picture.
    const auto parts = QStringView(bg).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    doc.background = QImage();
    if (!parts.isEmpty()) {
        const auto pieces = parts.first().split(QLatin1Char('/'), Qt::SkipEmptyParts);
        if (!pieces.isEmpty())
            doc.imageFormat = pieces.last().toString();
        const QString prefix = QStringLiteral("data:image/") + doc.imageFormat + QStringLiteral(";base64,");
        QByteArray picture;
        // The usual file has the prefix once, in front: decode behind it without copying the text.
        if (bg.startsWith(prefix) && bg.indexOf(prefix, prefix.size()) < 0) {
            picture = decodeBase64Lenient(QStringView(bg).mid(prefix.size()));
        } else {
            QString rest = bg;
            rest.remove(prefix);
            picture = decodeBase64Lenient(rest);
        }
        doc.background = loadPicture(picture);
        // Only the prefix means no picture; anything behind it must be one.
        if (doc.background.isNull() && !picture.isEmpty())
            return fail(ReadProblem::BadPicture);
    }

    doc.entries.clear();
    int dataSlots = 0, textLabels = 0;
    for (const QJsonValue &v : comps) {
        const QJsonObject o = v.toObject();
        const QString type = toStr(o.value(QStringLiteral("type")));
        Entry e;
        e.index = toInt(o.value(QStringLiteral("index")));
        const QPoint p = posOf(o);
        e.pos = QPoint(
            static_cast<int>(std::clamp<long long>(static_cast<long long>(p.x()) - g.offset.x(), -1000000, 1000000)),
            static_cast<int>(std::clamp<long long>(static_cast<long long>(p.y()) - g.offset.y(), -1000000, 1000000)));
        const QJsonValue value = o.value(QStringLiteral("value"));
        if (type == QLatin1String("switch")) {
            e.kind = Kind::Switch;
            const QJsonValue iv = value.toObject().value(QStringLiteral("isVertical"));
            e.upright = iv.isUndefined() || iv.isNull() || (iv.isBool() && iv.toBool());
        } else if (type == QLatin1String("ledg")) {
            e.kind = Kind::GreenLed;
        } else if (type == QLatin1String("ledr")) {
            e.kind = Kind::RedLed;
        } else if (type == QLatin1String("button")) {
            e.kind = Kind::Key;
        } else if (type == QLatin1String("sstube")) {
            e.kind = Kind::Digit;
        } else if (type == QLatin1String("led")) {
            if (e.index >= kRedLedCount && e.index < kRedLedCount + kGreenLedCount) {
                e.kind = Kind::GreenLed;
                e.index -= kRedLedCount;
            } else {
                e.kind = Kind::RedLed;
            }
        } else if (type == QLatin1String("text")) {
            e.kind = Kind::TextLabel;
            e.text = toStr(value);
        } else if (type == QLatin1String("data")) {
            e.kind = Kind::DataSlot;
            const QJsonObject vo = value.toObject();
            e.bitWidth = toInt(vo.value(QStringLiteral("bitWidth")));
            e.text = toStr(vo.value(QStringLiteral("data")));
            e.isVertical = vo.value(QStringLiteral("isVertical")).toBool();
        } else {
            continue;
        }
        const int n = kindCount(e.kind);
        if (n > 0 && (e.index < 0 || e.index >= n))
            continue;
        // Each data slot and label becomes a widget: a file cannot ask for unbounded numbers of them.
        int &listed = e.kind == Kind::DataSlot ? dataSlots : textLabels;
        if (n == 0 && ++listed > kMaxListEntries)
            continue;
        doc.entries.append(e);
    }
    if (geometry)
        *geometry = g;
    result = std::move(doc);
    return true;
}

} // namespace panelfile
