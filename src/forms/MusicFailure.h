// A failing call into the music library: its message, then the program ends.
#pragma once

#include <string>

// Shows the library's text for its last error in a box with the caption and OK alone,
// closes the library and ends the program with exit code 1 (a failure, so that a script
// starting the installer sees one).
void MusicFailure(const std::string& caption);
