#pragma once

#include "ccm/Decoder.h"

#include <cstdint>
#include <string>

namespace ccm {

// The literal one-line UTF-8 text of each discovery form, in the envelope of
// the data message (<?xml version="1.0"?><UECS ver="1.00-E10">...</UECS>).
// Wire bytes come from Cp932Encoder, as for data messages. Texts are written
// with '&', '<' and '"' escaped, so whatever Decode returned formats back to
// a message that decodes to the same content; they are not cut.

// <NODESCAN/>
std::string FormatNodeScan();
// <NODE><NAME>..</NAME><VENDER>..</VENDER><UECSID>..</UECSID><IP>..</IP><MAC>..</MAC></NODE>
std::string FormatNodeReply(const NodeContent& node);
// Page 1 is written <CCMSCAN/>, the form every controller sends; other pages
// <CCMSCAN page="N"/>.
std::string FormatCcmScan(std::int32_t page);
// <CCMNUM page="N" total="T">count</CCMNUM><CCM No=".." room=".." region=".."
// order=".." priority=".." cast=".." unit=".." SR=".." LV="..">type</CCM>
std::string FormatCcmScanReply(const CcmScanReplyContent& reply);
// <SEARCH type=".." room=".." region=".." order=".."/>
std::string FormatSearch(const SearchContent& search);
// <SERVER type=".." room=".." region=".." order=".." priority="..">IP</SERVER>
std::string FormatSearchReply(const SearchReplyContent& reply);
// The data message of decoded content, through FormatDataMessage (texts
// unescaped, cut at the panel's limits).
std::string FormatData(const DataContent& data);

} // namespace ccm
