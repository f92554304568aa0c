#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

// A directory of its own for one test, removed with everything in it.
class ScratchDir {
public:
    ScratchDir()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "rainnode-node-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Writes `bytes` as file `name` (replacing it) and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const
    {
        const std::filesystem::path file = path_ / name;
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
        return file.string();
    }
    void append(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path_ / name, std::ios::binary | std::ios::app) << bytes;
    }

private:
    std::filesystem::path path_;
};
