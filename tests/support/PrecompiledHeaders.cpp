// Holds the headers every test program of a kind parses, compiled once for
// all of them (see tests/CMakeLists.txt); it has no code of its own.
