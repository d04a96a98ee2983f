#pragma once
#include "panel_document.h"
#include <QByteArray>

namespace panelfile {

// Writes the document as indented JSON. A "bmp" background format becomes
// "jpg" in doc, as the saved file carries it.
QByteArray writeJvp(Document &doc);

// Why a file is not read as a panel.
enum class ReadProblem { None, NotJson, NotObject, BadPicture };

// Reads any bytes; false, with doc untouched, when the text is not JSON, its top level is not
// an object, or it carries a background picture that does not decode.
bool readJvp(const QByteArray &bytes, Document &doc, Geometry *geometry = nullptr, ReadProblem *problem = nullptr);

} // namespace panelfile
