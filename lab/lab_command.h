// brixo-labd's account and audit commands on a lab server's database:
//   user add NAME [--role ROLE] --config lab.json   (the password: one line on standard input)
//   user import FILE.csv --config lab.json
//   user remove NAME --config lab.json
//   user list --config lab.json
//   audit --config lab.json
#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace lab {

// `args` from the command's name on ("user", "add", ...). Exit status: 0 done, 1 failed (the
// reason on `err`), 2 usage.
int runLabCommand(const std::vector<std::string> &args, std::istream &in, std::ostream &out, std::ostream &err);

} // namespace lab
