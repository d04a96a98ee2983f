// The tokens `brixo-cli login` saves: one per lab server, in the user's config directory
// ($XDG_CONFIG_HOME/brixo, else ~/.config/brixo) as lab-tokens.json, readable by the user alone
// (mode 0600 in a directory of mode 0700). A token is a password for half a day: it is never
// written anywhere else, and a file another user could read is not trusted.
#pragma once
#include <string>

namespace cli {

// The file's path; empty when neither XDG_CONFIG_HOME nor HOME is set.
std::string labTokenFile();

// The token saved for `url` (LabUrl::text()); empty when none.
std::string loadLabToken(const std::string &url);
// Saves (or, with an empty token, removes) the token for `url`, replacing the file whole.
// False with the reason.
bool saveLabToken(const std::string &url, const std::string &user, const std::string &token, std::string &why);

} // namespace cli
