#pragma once

// Where there is no display to open the window on, Qt aborts with a message
// about reinstalling. Say plainly what is missing instead, and exit with 1.
namespace DisplayCheck {

// Call before the application object is made: returns false (having told
// the operator on standard error) when no display is set at all, and makes a
// display that cannot be reached end the program the same plain way.
bool displayUsable();

} // namespace DisplayCheck
