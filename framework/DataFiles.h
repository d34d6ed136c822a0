// Where the program finds its data files: the tile zoom's picture.
//
// The program reads "pvn_quad.png" from its working directory. So that an
// installed or unpacked program finds its picture also when it is started
// from another folder, a name the working directory does not have is looked
// for in two more places, in this order:
//   1. NAME in the working directory;
//   2. NAME beside the program's own file (an unpacked Windows zip, a build
//      folder);
//   3. NAME in share/brindlemox/ beside the program's folder, where
//      `cmake --install` puts it (PREFIX/bin/brindlemox and
//      PREFIX/share/brindlemox/pvn_quad.png).
// The first place where anything of that name exists is taken, usable or
// not: a broken file in the working directory is reported, not passed over
// for another one.
#pragma once

#include <string>
#include <vector>

// The places above for NAME, when the program's file lies in
// programDirectory; only the first when programDirectory is empty.
std::vector<std::string> DataFilePlaces(const std::string& name,
                                        const std::string& programDirectory);

// The first of those places where NAME exists; empty when none has it.
std::string FindDataFile(const std::string& name, const std::string& programDirectory);

// The file the running program reads for NAME: the one UseDataFile named,
// if any; else the first of the places above (for platform's
// ProgramDirectory()) where NAME exists; else NAME itself, so that the
// loader reports the file missing under the name the program asks for.
std::string LocateDataFile(const std::string& name);

// For a driver of the program that chooses the file itself (the capture
// tool): from now on LocateDataFile(NAME) gives PATH, wherever it lies and
// whatever its name. An empty PATH takes the choice back.
void UseDataFile(const std::string& name, const std::string& path);
