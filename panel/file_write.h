#pragma once
#include <QByteArray>
#include <QString>

namespace panelfile {

// Writes through a temporary file and renames it over the target, so a failed
// save never leaves a half-written panel. False when it could not open or commit.
bool writeFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace panelfile
