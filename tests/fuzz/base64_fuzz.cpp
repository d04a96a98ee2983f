// The embedded picture's base64 text: the fast lenient decoder must give exactly what Qt's own
// decoder gives for the same text, for any UTF-16 code units (outside the alphabet: skipped).
#include "base64_text.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Even inputs are read as UTF-16 code units; odd ones as Latin-1 text, which reaches the
    // alphabet far more often.
    QString text;
    if (size == 0) {
        // the empty text
    } else if (size % 2 == 0) {
        std::vector<char16_t> units(size / 2);
        std::memcpy(units.data(), data, size);
        text = QString(reinterpret_cast<const QChar *>(units.data()), int(units.size()));
    } else {
        text = QString::fromLatin1(reinterpret_cast<const char *>(data), int(size));
    }
    const QByteArray fast = panelfile::decodeBase64Lenient(QStringView(text));
    QByteArray latin;
    latin.reserve(text.size());
    for (const QChar c : text)
        latin.append(c.unicode() < 256 ? char(c.unicode()) : '?'); // '?' is skipped as well
    if (fast != QByteArray::fromBase64(latin))
        __builtin_trap();
    return 0;
}
