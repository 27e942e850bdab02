#pragma once
// The command-line tail: what follows the program name in the process command
// line, recorded once at start-up and handed to the product unchanged.

// Returns a pointer into `commandLine` just past the program name and the
// blanks after it; an absent command line gives an empty text.
const wchar_t* CommandLineTail(const wchar_t* commandLine);
