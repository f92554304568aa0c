#pragma once

#include "ccm/Decoder.h"
#include "ccm/XmlScanner.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace ccm {

class Cp932Decoder;

// Where a form was refused: why, and the byte offset in the datagram.
struct FormError {
    std::string what;
    std::size_t offset = 0;
};

// Reads a scanned document as one of the UECS forms into `out` (kind,
// content and findings, appended to those already there). `text` is what
// was scanned and starts `base` bytes into the datagram. `shiftJis`, when
// set, converts the texts.
bool ReadForm(std::string_view text, std::size_t base, Cp932Decoder* shiftJis,
              const xml::Document& document, Decoded& out, FormError& error);

} // namespace ccm
