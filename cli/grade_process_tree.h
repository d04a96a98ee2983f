// The processes a student's run leaves below brixo-cli grade: its brixo-cli, that one's
// brixo-labd, and the compilers and simulators the server starts in process groups of their
// own. Grading makes itself the subreaper of them all, so whatever a killed or crashed run
// leaves behind is handed to it and can still be ended.
#pragma once
#include <set>
#include <sys/types.h>
#include <vector>

namespace cli {

// Orphans below this process become its children instead of init's.
void adoptOrphans();

// Every process below `root` (its children, theirs, ...), as /proc shows them now.
std::vector<pid_t> descendantsOf(pid_t root);

// Ends these trees, each rooted at one of our children that leads its own process group:
// SIGTERM to each group (the server then ends its compilers and simulators itself), then after
// at most `graceMs` SIGKILL to whatever of the trees still runs, and to its process groups. The
// roots are left for their owner to reap.
void endTrees(const std::vector<pid_t> &roots, int graceMs);

// Kills and reaps every child of this process that is not in `keep` (what ended runs left
// behind, handed to us as orphans), with what runs below it. Returns how many there were.
int reapLeftovers(const std::set<pid_t> &keep);

} // namespace cli
