#pragma once
// `kestrum --run FILE ...`: a sequence run without a window, for a lab's CI.

namespace kestrum {

// Whether the command line asks for a run (holds --run); checked before anything else.
bool WantsRun(int argc, char** argv);

// Runs the sequence and returns the exit status: 0 every step passed, 1 a step failed,
// errored or was skipped, 2 wrong arguments, a wrong file, or no device could be opened.
int RunCommand(int argc, char** argv);

}  // namespace kestrum
