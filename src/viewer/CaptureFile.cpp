#include "viewer/CaptureFile.h"

#include "capture/OpenCapture.h"
#include "capture/RecordSource.h"

namespace viewer {

namespace {

constexpr std::size_t kWarningsKept = 10;

} // namespace

CaptureFile CaptureFile::open(const std::string& path)
{
    CaptureFile file;
    const std::unique_ptr<capture::RecordSource> source =
        capture::OpenCapture(path, capture::UecsPorts());
    capture::RecordSource& reader = *source;
    std::size_t refused = 0;
    while (std::optional<capture::RecordSource::Entry> entry = reader.next()) {
        if (!entry->record) {
            if (++refused <= kWarningsKept)
                file.warnings.push_back(reader.name() + ":" + std::to_string(entry->number) + ": " +
                                        entry->error);
            continue;
        }
        if (file.records.size() == kMaxRecords) {
            file.warnings.push_back(reader.name() + ": only the first " +
                                    std::to_string(kMaxRecords) + " records are shown");
            break;
        }
        capture::CaptureRecord& record = *entry->record;
        file.records.push_back({record.time, std::move(record.sourceIp), record.sourcePort,
                                record.port, std::move(record.bytes)});
    }
    if (refused > kWarningsKept)
        file.warnings.push_back(reader.name() + ": " + std::to_string(refused) +
                                " records refused in all");
    return file;
}

} // namespace viewer
