// The window program: builds the producer from input/files.txt in the working
// directory and runs the window's event loop.
#include "shell/WindowProgram.h"

int main(int argc, char** argv) { return RunWindowProgram(argc, argv); }
