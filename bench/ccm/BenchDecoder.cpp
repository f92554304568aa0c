// Decoding throughput: typical datagrams as a receiver sees them, one Decode
// per iteration on one thread. The data message is the one that counts: a
// monitor must keep up with a whole greenhouse of nodes (the goal is at
// least 2 000 000 per second).

#include "ccm/Cp932Encoder.h"
#include "ccm/Decoder.h"
#include "ccm/ScanMessages.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

const std::string kData = R"(<?xml version="1.0"?><UECS ver="1.00-E10"><DATA type="InAirTemp" )"
                          R"(room="1" region="2" order="3" priority="15">23.5</DATA>)"
                          R"(<IP>192.168.1.10</IP></UECS>)";

void decodeEach(benchmark::State& state, const std::string& datagram)
{
    for (auto _ : state) {
        ccm::DecodeResult result = ccm::Decode(datagram);
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(datagram.size()));
}

void BM_DecodeData(benchmark::State& state)
{
    decodeEach(state, kData);
}
BENCHMARK(BM_DecodeData);

// A departing sender: line breaks, an encoding declaration, a trailing NUL,
// so findings are built every time.
void BM_DecodeDataWithFindings(benchmark::State& state)
{
    std::string datagram = kData;
    datagram.replace(datagram.find("?>"), 2, " encoding=\"UTF-8\"?>\r\n");
    datagram.replace(datagram.find("<IP>"), 0, "\r\n");
    datagram += '\0';
    decodeEach(state, datagram);
}
BENCHMARK(BM_DecodeDataWithFindings);

void BM_DecodeShiftJisData(benchmark::State& state)
{
    std::string text = kData;
    text.replace(text.find("InAirTemp"), 9, "内気温");
    decodeEach(state, ccm::Cp932Encoder().encode(text));
}
BENCHMARK(BM_DecodeShiftJisData);

void BM_DecodeCcmScanReply(benchmark::State& state)
{
    const ccm::CcmScanReplyContent reply{
        .page = 2, .total = 3, .unit = "C", .sr = "S", .level = "A-1S-0", .type = "InAirTemp"};
    decodeEach(state, ccm::FormatCcmScanReply(reply));
}
BENCHMARK(BM_DecodeCcmScanReply);

} // namespace

BENCHMARK_MAIN();
