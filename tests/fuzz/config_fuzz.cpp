// config.json / Language.json: any bytes through the language test.
#include "ui/sysconfig.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    return sysconfig::bytesSelectChinese(bytes) ? 0 : 0;
}
