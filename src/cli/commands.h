#pragma once

#include <ostream>
#include <span>

namespace glimtap::cli {

// Each subcommand takes the arguments after its name and returns the exit status;
// faults in its input are thrown as CliError.
int RunFind(std::span<char* const> args, std::ostream& out);
int RunSettings(std::span<char* const> args, std::ostream& out);
int RunRun(std::span<char* const> args, std::ostream& out);

}  // namespace glimtap::cli
