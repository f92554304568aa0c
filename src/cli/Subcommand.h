#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace cli {

// One capability of setarome-cli: it adds its options to the program, checks
// what the options alone cannot, and runs in the current QCoreApplication.
class Subcommand {
public:
    Subcommand(const Subcommand&) = delete;
    Subcommand& operator=(const Subcommand&) = delete;
    virtual ~Subcommand() = default;

    bool chosen() const { return command_->parsed(); }
    std::string name() const { return command_->get_name(); }

    // The checks that need more than one option, a file or a look at the
    // system, before anything is sent. Throws CLI::ValidationError, or an
    // error of the input read, whose text names its position.
    virtual void check() = 0;
    // The exit status: 0 done (or stopped by a signal), 1 the run or the
    // check found a failure, 2 bad usage or input.
    virtual int run() = 0;

protected:
    Subcommand(CLI::App& program, const std::string& name, const std::string& description)
        : command_(program.add_subcommand(name, description))
    {
    }

    CLI::App* command_;
};

} // namespace cli
