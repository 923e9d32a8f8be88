// One run of sorvelt-render: the options in, an exit status out.
#pragma once

#include "tools/render/options.h"

#include <cstdio>
#include <string>
#include <vector>

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

/// Where a run looks for the plug-in when no --plugin is given, in order: beside the running
/// command, then where an installation of the command puts it.
std::vector<std::string> pluginCandidates();

/// The first of pluginCandidates() that exists, else the first (whose load error names it).
std::string defaultPluginPath();

} // namespace sorvelt::render
