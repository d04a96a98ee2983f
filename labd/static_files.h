// The browser client's files, as the lab server serves them at every GET outside /api/: the
// built web directory (the page, its script and style, and the program's own pictures under
// images/), never a file outside it, with its type, an ETag and a strict Content-Security-Policy.
#pragma once
#include "http_exchange.h"

#include <string>

namespace labd {

// The answer to one request for a static file under webRoot: "/" is index.html. Anything but
// GET and HEAD (the head alone) is 405; a target that is not a plain path inside the root (a "..", a dot file, an encoded
// slash, backslash or NUL, a symbolic link that leads out) is 404, as is a missing file. An
// If-None-Match naming the file's ETag gets 304.
http::Response staticFile(const http::Request &request, const std::string &webRoot);

// Where the web client lies for the program at programPath: BRIXO_WEB_ROOT when set, else the
// installed share/brixo/web beside the program's bin/, else the build tree's web/dist. The
// first of these that holds an index.html; "" when none does.
std::string findWebRoot(const std::string &programPath);

// The Content-Security-Policy every static answer carries: scripts, styles and connections
// from the server itself only, pictures also as data: URLs (a panel's background), no frames.
extern const char *const kContentSecurityPolicy;

} // namespace labd
