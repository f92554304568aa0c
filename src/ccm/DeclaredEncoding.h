#pragma once

#include "ccm/Decoder.h"
#include "ccm/XmlScanner.h"

namespace ccm {

// The encoding the XML declaration of a scanned datagram names: Shift-JIS
// under any of its usual names (Shift_JIS, SJIS, CP932, Windows-31J...),
// UTF-8, else Unknown.
Encoding DeclaredEncoding(const xml::Document& document);

// "UTF-8" or "Shift-JIS", for findings.
const char* EncodingName(Encoding encoding);

} // namespace ccm
