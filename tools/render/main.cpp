// sorvelt-render: encodes a sound file (or the built-in demo) to UHJ through the plug-in.
#include "tools/render/options.h"
#include "tools/render/render_job.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    using namespace sorvelt::render;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const ParseResult parsed = parseOptions(arguments);
    if (parsed.status != 0)
    {
        std::fprintf(stderr, "sorvelt-render: %s\n", parsed.message.c_str());
        return parsed.status;
    }
    return runJob(parsed.options, stdout, stderr);
}
