// .jvp panel files: any bytes through the reader, then what it read back through the writer.
#include "jvp_format.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    panelfile::Document doc;
    panelfile::Geometry geometry;
    if (panelfile::readJvp(bytes, doc, &geometry)) {
        // A panel that opened must save and open again.
        const QByteArray saved = panelfile::writeJvp(doc);
        panelfile::Document again;
        if (!panelfile::readJvp(saved, again))
            __builtin_trap();
    }
    return 0;
}
