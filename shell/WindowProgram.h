// The window program: the application object, the window and its event loop,
// and the end of the process when the window is closed, within a second even
// during a run.
#pragma once

#include <functional>

class TForm1;

// Runs the window until it is closed; the exit status. started, when given,
// is called with the window once it is shown (tests drive it from there).
int RunWindowProgram(int argc, char** argv, const std::function<void(TForm1&)>& started = {});
