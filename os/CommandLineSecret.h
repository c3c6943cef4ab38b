#pragma once
// The program's command line ("connection string|suite INI path") holds a password when the
// string does. Every local user reads a process's arguments (/proc/PID/cmdline, ps), so a
// script hands it over in a file only its owner may read, or on standard input; one given
// as an argument anyway is overwritten in the process's own copy at start. That hides it
// from ps only from then on: the moment between exec and start is not covered.

#include <QString>
#include <functional>
#include <optional>

namespace qvl {

// The command line from FILE ("-": standard input): its first line, without the line end.
// A file that its group or other users may read (or write) is refused — on Windows one whose
// access list lets everyone read or change it —, as is anything but a regular file. std::nullopt with a German text in *error.
std::optional<QString> readCommandLineFile(const QString &path, QString *error);

// Overwrites, in the process's own argument vector (on Windows also in the command line the
// system keeps for the process), each argument for which `secret(i)`
// holds with "*" (after its "=" when it is an option's "--name=value").
void hideArguments(int argc, char **argv, const std::function<bool(int index)> &secret);

// The index of the value of the option `--name` ("--name VALUE" or "--name=VALUE"), or -1.
int optionValueIndex(int argc, char **argv, const char *name);

} // namespace qvl
