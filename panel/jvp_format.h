#pragma once
#include "panel_document.h"
#include <QByteArray>

namespace panelfile {

// Writes the document as indented JSON. A "bmp" background format becomes
// "jpg" in doc, as the saved file carries it.
QByteArray writeJvp(Document &doc);

// Reads any bytes; false on malformed JSON (doc untouched then).
bool readJvp(const QByteArray &bytes, Document &doc, Geometry *geometry = nullptr);

}  // namespace panelfile
