#pragma once

#include <string>
#include <vector>

// Putting edited sources into the running show without restarting it.
namespace creator {

class contentSources;

// Gives every track in the sync device the keys the compiled scripts hold
// for it, in place, so parameter groups see them at their next evaluation;
// tracks the scripts do not define keep theirs. Returns how many changed
// hands. One allocation per track.
int replaceTrackKeys(const contentSources& sources);

// Names of tracks the scripts define that nothing in the show has asked for
// (a misspelt name, most likely).
std::vector<std::string> tracksReadByNothing(const contentSources& sources);

// What rebuilding the programs that use one shader file came to.
struct shaderRebuild {
  int programs = 0;   // programs that use the file
  bool built = true;  // every one of them compiled and linked
  std::string error;  // else "fx/NAME:LINE: message" from the driver's log
};

// Compiles and links afresh every draw-shader program that reads
// "fx/<fileName>" (sources read through the package, so from the content
// folder in creator mode). A program that builds replaces the old one; one
// that fails leaves the old one running. No message boxes. Needs the GL
// context; costs a compile and link per program.
shaderRebuild rebuildShaders(const std::string& fileName);

// The first error line of a GLSL compile or link log as "file:line: message"
// (Mesa writes "0:LINE(COLUMN): error: ..."); the whole first line when it
// names no line.
std::string shaderLogMessage(const std::string& log, const std::string& file);

}  // namespace creator
