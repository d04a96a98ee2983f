#pragma once
// How a student's design is run, as the Simulate dialog asks it, and its memory in config.json:
// one entry per set of files (in any order), so the next Simulate of them offers it again.
#include <QString>
#include <QStringList>

struct DesignChoices {
    QString top;        // empty: the one module no other instantiates
    QString simulator;  // "iverilog" or "verilator"; empty: the server's default (Icarus)
    double clockHz = 0; // the free-running clock's rate; 0: the server's default
    bool keysActiveLow = false;
};

namespace design {
// The server's own clock rate when none is chosen.
constexpr double kDefaultClockHz = 1000;
// The entry's name for a set of files: their paths sorted, one a line (a single file's is its path).
QString choicesKey(const QStringList& files);
DesignChoices rememberedChoices(const QString& configFile, const QStringList& files);
// An unwritable config.json costs only the next question: false, nothing else.
bool rememberChoices(const QString& configFile, const QStringList& files, const DesignChoices& choices);
} // namespace design
