// The window program: the application object, the window and its event loop,
// and the end of the process when the window is closed, within a second even
// during a run. Its one argument, FOLDER, names the input folder to work in.
#pragma once

#include <QStringList>
#include <functional>
#include <memory>
#include <string>

class TForm1;

// The window for the program's arguments (the program's name first): with a
// FOLDER argument the working directory becomes FOLDER first, and the title
// names it. Null when the arguments are wrong or ask for help, with the text
// to print in message and the exit status in status (0 for help).
std::unique_ptr<TForm1> MakeWindow(const QStringList& arguments, std::string& message, int& status);

// Runs the window until it is closed; the exit status. started, when given,
// is called with the window once it is shown (tests drive it from there).
int RunWindowProgram(int argc, char** argv, const std::function<void(TForm1&)>& started = {});
