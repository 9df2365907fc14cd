#pragma once

// Names the running program to Qt: application and organisation name (the
// settings location), version and window icon. No display name: the window
// system would append it to every window title, which names the program
// itself already.
void SetUpApplication();
