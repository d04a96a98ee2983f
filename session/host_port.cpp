#include "host_port.h"

namespace brixo {

bool parseHostPort(const std::string &text, std::string &host, int &port, bool allowZero)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return false;
    const std::string t = text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    const size_t colon = t.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == t.size() || t.size() - colon - 1 > 5)
        return false;
    int p = 0;
    for (size_t i = colon + 1; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9')
            return false;
        p = p * 10 + (t[i] - '0');
    }
    if (p > 65535 || (p == 0 && !allowZero))
        return false;
    std::string h = t.substr(0, colon);
    if (h.size() >= 2 && h.front() == '[' && h.back() == ']')
        h = h.substr(1, h.size() - 2);
    if (h.empty() || h.find_first_of(" \t[]") != std::string::npos)
        return false;
    host = h;
    port = p;
    return true;
}

} // namespace brixo
