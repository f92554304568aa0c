#pragma once

#include "node/ScratchDir.h"
#include "station/ScenarioError.h"
#include "station/ScenarioReader.h"

#include <string>

// What reading a scenario file of `text` refuses it with, after the file's
// path and its colon ("12:9: no event named 'storm'"); "accepted" when it
// reads.
inline std::string ScenarioRefusal(const std::string& text)
{
    ScratchDir dir;
    const std::string path = dir.write("s.toml", text);
    try {
        station::ReadScenario(path);
        return "accepted";
    } catch (const station::ScenarioError& e) {
        const std::string what = e.what();
        return what.rfind(path + ":", 0) == 0 ? what.substr(path.size() + 1) : what;
    }
}
