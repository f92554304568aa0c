#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace transport {

class TIdComponent;

// The progress kinds a component tracks separately.
enum class TWorkMode { Read = 0, Write = 1 };

enum class TIdStatus { Resolving, Connecting, Connected, Disconnecting, Disconnected, Text };

using TIdStatusEvent =
    std::function<void(TIdComponent& sender, TIdStatus status, const std::string& text)>;
using TWorkBeginEvent =
    std::function<void(TIdComponent& sender, TWorkMode mode, std::int64_t expectedSize)>;
using TWorkEvent = std::function<void(TIdComponent& sender, TWorkMode mode, std::int64_t total)>;
using TWorkEndEvent = std::function<void(TIdComponent& sender, TWorkMode mode)>;

// Base of every socket-layer component. Each live component is a user of the
// shared socket stack: the first one creates it, the last one destroys it
// (StackRegistry.h), so SharedStack() is never null while one lives.
class TIdComponent {
public:
    // Raises whatever starting the stack raises; nothing is then registered.
    TIdComponent();
    TIdComponent(const TIdComponent&) = delete;
    TIdComponent& operator=(const TIdComponent&) = delete;
    virtual ~TIdComponent();

    TIdStatusEvent OnStatus;
    TWorkBeginEvent OnWorkBegin;
    TWorkEvent OnWork;
    TWorkEndEvent OnWorkEnd;

    // Progress nests per mode: only the outermost begin and end fire events.
    virtual void ProgressBegin(TWorkMode mode, std::int64_t size);
    // Counts only inside a begin/end pair.
    virtual void ProgressStep(TWorkMode mode, std::int64_t count);
    virtual void ProgressEnd(TWorkMode mode);

private:
    struct Progress {
        int nesting = 0;
        std::int64_t total = 0;
    };

    Progress& ProgressOf(TWorkMode mode) { return progress_[static_cast<std::size_t>(mode)]; }

    std::array<Progress, 2> progress_{};
};

} // namespace transport
