// One run of sorvelt-render: the options in, an exit status out.
#pragma once

#include "tools/render/options.h"

#include <cstdio>
#include <string>

namespace sorvelt::render
{

/// Exit statuses: success, a failure of the job, a usage error.
enum ExitStatus : int
{
    kExitSuccess = 0,
    kExitFailure = 1,
    kExitUsage = 2,
};

/// Carries out what the options ask. Results and the summary go to `out`, messages to `err`.
int runJob(const RenderOptions& options, std::FILE* out, std::FILE* err);

/// The sorvelt.so beside the running command.
std::string defaultPluginPath();

} // namespace sorvelt::render
