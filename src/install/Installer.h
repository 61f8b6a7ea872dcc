// The program: start-up, the message loop and shutdown.
#pragma once

// Runs the installer; returns the process's exit code.
int RunInstaller(int argc, char** argv);
