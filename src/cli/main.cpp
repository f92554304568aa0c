// setarome-cli: the simulated UECS weather node without a window, and a
// whole weather station from a scenario file.

#include "cli/ConvertCommand.h"
#include "cli/LintCommand.h"
#include "cli/MonitorCommand.h"
#include "cli/NodeCommand.h"
#include "cli/ReplayCommand.h"
#include "cli/ScanCommand.h"
#include "cli/StandardOutput.h"
#include "cli/StationCommand.h"
#include "cli/TestCommand.h"
#include "loop/InputFile.h"
#include "loop/StopSignals.h"
#include "station/ScenarioError.h"

#include <CLI/CLI.hpp>
#include <QCoreApplication>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

int Run(int argc, char** argv)
{
    CLI::App program("セタロメ without a window: a simulated UECS weather node for benches, CI "
                     "and services.",
                     "setarome-cli");
    program.set_version_flag("--version", "setarome-cli " RAINNODE_VERSION);
    program.require_subcommand(1, 1);
    cli::NodeCommand node(program);
    cli::StationCommand station(program);
    cli::MonitorCommand monitor(program);
    cli::ReplayCommand replay(program);
    cli::LintCommand lint(program);
    cli::ScanCommand scan(program);
    cli::ConvertCommand convert(program);
    cli::TestCommand test(program);
    const std::array<cli::Subcommand*, 8> commands{&node, &station, &monitor, &replay,
                                                   &lint, &scan,    &convert, &test};
    cli::Subcommand* chosen = nullptr;
    try {
        program.parse(argc, argv);
        // require_subcommand(1, 1) leaves exactly one parsed.
        for (cli::Subcommand* command : commands)
            if (command->chosen())
                chosen = command;
        chosen->check();
    } catch (const loop::InputStopped&) {
        // A stop while an input was checked: nothing was sent.
        return 0;
    } catch (const CLI::ParseError& e) {
        // --help and --version
        if (e.get_exit_code() == 0)
            return program.exit(e);
        const auto parsed = program.get_subcommands();
        const std::string where = parsed.empty() ? "" : parsed.front()->get_name() + ": ";
        std::fprintf(stderr, "setarome-cli: %s%s\n", where.c_str(), e.what());
        return 2;
    } catch (const station::ScenarioError& e) {
        std::fprintf(stderr, "setarome-cli: %s\n", e.what());
        return 2;
    }
    // Qt's own poll loop wakes the process once per tick; the GLib loop it
    // uses by default costs about half as much CPU again, for nothing here.
    setenv("QT_NO_GLIB", "1", 0);
    // Qt reads no options of ours.
    int qtArgc = 1;
    QCoreApplication application(qtArgc, argv);
    try {
        return chosen->run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "setarome-cli: %s: %s\n", chosen->name().c_str(), e.what());
        return 1;
    }
}

} // namespace

int main(int argc, char** argv)
{
    loop::StopSignals::Block();
    // A closed reader of standard output shows as EPIPE from the write, so
    // the run ends through its own path: last lines, capture flushed.
    std::signal(SIGPIPE, SIG_IGN);
    return cli::FinishStandardOutput(Run(argc, argv));
}
