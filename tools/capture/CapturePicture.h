// The picture the capture shows in its tile zoom, chosen before any frame
// is drawn.
//
// A capture without its picture records the whole tile zoom black, which
// looks like a finished capture. So the tool looks for the picture as the
// program does (framework/DataFiles.h: the working directory, then beside
// its own file, then the share folder next to its folder), or takes the
// file the user names, and makes sure it can be read before it starts.
#pragma once

#include <string>

struct CapturePicture {
  std::string path;     // the file the tile zoom is to read
  std::string problem;  // empty when it is usable; else what is wrong, for the user
};

// The file `given` when it is not empty (--picture), else the first of the
// program's places for pvn_quad.png, with toolDirectory standing for the
// program's folder; its name alone when none holds one. The file is read
// and decoded as the device will read it, to tell whether it is usable.
CapturePicture ChooseCapturePicture(const std::string& given, const std::string& toolDirectory);

// The folder of the running tool's own file; empty where it cannot be told
// (under node, whose own file would be taken for it).
std::string ToolDirectory();
