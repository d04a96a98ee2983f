#include "file_write.h"

#include <QSaveFile>

namespace panelfile {

bool writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty())
        return false;
    QSaveFile f(path);
    // Unbuffered, so a short write (disk full, size limit) shows in write()'s count: through
    // the buffer the toolkit can drop the tail at commit and still report success.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

} // namespace panelfile
