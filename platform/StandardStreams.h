// Standard input, output and error as the program's start-up finds them.
//
// A program started with one of them closed (`brindlemox 2>&-`) has that
// descriptor free, and the next file or socket opened takes it: the X
// connection would become descriptor 2, and a line written to standard
// error would go into the X protocol stream. So the start-up code of each
// program calls this first, before anything opens a descriptor.
#pragma once

namespace platform {

// Opens each of descriptors 0, 1 and 2 that is closed onto /dev/null, so
// that reading finds nothing and writing goes nowhere; where /dev/null
// cannot be opened, onto the root folder, read-only, where every read and
// write fails without harm. Does nothing on systems without such
// descriptors (Windows, the web).
void OpenClosedStandardStreams();

}  // namespace platform
