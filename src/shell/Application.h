#pragma once

struct StartupConfig;

// Names the running program to Qt: application and organisation name (the
// settings location), version and window icon. No display name: the window
// system would append it to every window title, which names the program
// itself already.
void SetUpApplication();

// The program once the application object exists: the start-up password,
// then the main window until it closes. Ends without making a window, and
// with 0, when the password is not given.
int RunProgram(const StartupConfig &config);

// Start-up profiling: with QUIVORA_STARTUP_TRACE set, prints "stamp <ns> <what>"
// (wall clock) to the error output; otherwise does nothing.
void StartupStamp(const char *what);
