#pragma once
// The program from start to exit; returns the process's exit code.
int RunFindaro(int argc, char** argv);
