#pragma once

#include <cstddef>
#include <cstdint>

namespace transport {

// The binding of the platform's socket functions. The C library is opened
// once, when the first socket stack starts, and each entry of the table
// (SocketEntryTable.h) looks its function up there on its first call.

// Opens the C library and reports success (0). A second start while the
// library is open returns 0 at once. Raises EIdWS2StubError when the library
// cannot be opened.
std::int32_t StartSocketLibrary();

// True while the library is open.
bool SocketLibraryLoaded();

// Called by an entry's stub: looks the entry's name up, binds the entry to
// it and returns its address. Raises EIdWS2StubError (code 10093) while no
// library is open, and EIdWS2StubError without a code when the library lacks
// the name, so no call is ever made through an empty entry.
void* ResolveSocketEntry(std::size_t index);

// Forgets the library and points every entry back at its stub.
void ResetSocketEntries();

// Closes the library (once, whichever thread gets there first) and resets the
// entries; runs at process end.
void ReleaseSocketLibrary();

} // namespace transport
