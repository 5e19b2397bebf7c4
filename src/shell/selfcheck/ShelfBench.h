#pragma once

#include <QProcessEnvironment>

class FileManager;
class ProcessUsage;
class Report;
class ShelfFileSystem;

// --bench-shelf: fills a shelf of its own (never the user's) with generated
// files and drives the real hub on it: opening on the shelf, scrolling the
// grid, dragging everything out, Move All, deleted and renamed files, and a
// stress round, with the memory it costs. TARNWICK_SHELF_BENCH_FILES sets the
// number of files (default `defaultFiles`).
namespace ShelfBench {

constexpr int defaultFiles = 1500;

struct Parts {
    ShelfFileSystem &files;
    FileManager &fileManager;
    const ProcessUsage &usage;
    QProcessEnvironment env;
};

// Answers the exit status.
int run(Report &report, Parts parts);

} // namespace ShelfBench
