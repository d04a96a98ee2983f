#include "simulator.h"

namespace labd {

bool prepareDesign(Simulator &sim, DesignFiles &design, bool keysActiveLow, Board &board, std::string &messages)
{
    std::string text;
    if (!sim.preprocess(design, text, messages))
        return false;
    std::vector<Module> modules;
    const Module *top = nullptr;
    std::string error;
    if (!readModules(text, modules, error) || !chooseTop(modules, design.top, top, error) ||
        !boardPorts(*top, keysActiveLow, board, error)) {
        // A design that does not compile gets the simulator's own words, not ours about its ports.
        messages.clear();
        if (sim.check(design, messages))
            messages = error + "\n";
        return false;
    }
    design.top = top->name;
    messages.clear();
    return sim.build(design, board, messages);
}

std::vector<uint64_t> idleInputs(const Board &board)
{
    std::vector<uint64_t> v;
    for (const BoardPort &p : board.inputs)
        v.push_back(inputValue(p, 0, board.keysActiveLow));
    return v;
}

} // namespace labd
