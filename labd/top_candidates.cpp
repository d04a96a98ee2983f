#include "top_candidates.h"

#include "verilog_ports.h"

#include <filesystem>
#include <fstream>

namespace labd {

bool readTopCandidates(const std::vector<std::string> &files, std::vector<std::string> &tops, std::string &error)
{
    tops.clear();
    std::string text;
    for (const std::string &file : files) {
        std::error_code failed;
        const std::uintmax_t size = std::filesystem::file_size(file, failed);
        if (failed) {
            error = "cannot read " + file;
            return false;
        }
        if (size > kMaxListedFileBytes) {
            error = file + " is larger than " + std::to_string(kMaxListedFileBytes >> 20) + " MB";
            return false;
        }
        // Read only as far as the size said, should the file grow meanwhile.
        std::ifstream in(file, std::ios::binary);
        std::string content(std::size_t(size), '\0');
        in.read(&content[0], std::streamsize(size));
        if (!in && !in.eof()) {
            error = "cannot read " + file;
            return false;
        }
        content.resize(std::size_t(in.gcount()));
        text += content;
        text += '\n';
    }
    std::vector<Module> modules;
    if (!readModules(text, modules, error))
        return false;
    tops = topCandidates(modules);
    return true;
}

} // namespace labd
