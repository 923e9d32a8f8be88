// Writes sorvelt-render.1 at build time from the option table and the --help text, so the
// manual page and --help cannot tell different stories.
#include "tools/render/options.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace
{

using namespace sorvelt::render;

/// Text made safe for roff: backslashes printed, hyphens as the minus sign a shell wants, and no
/// line taken for a request because it starts with a dot or a quote.
std::string roff(const std::string& text)
{
    std::string out;
    bool lineStart = true;
    for (char c : text)
    {
        if (lineStart && (c == '.' || c == '\'')) out += "\\&";
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        lineStart = c == '\n';
    }
    return out;
}

/// The part of the help text between two headings (or to its end when `to` is empty).
bool section(const std::string& help, const std::string& from, const std::string& to, std::string& out)
{
    const size_t start = help.find(from);
    if (start == std::string::npos) return false;
    const size_t begin = start + from.size();
    const size_t end = to.empty() ? help.size() : help.find(to, begin);
    if (end == std::string::npos) return false;
    out = help.substr(begin, end - begin);
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return true;
}

std::string manualPage(const std::string& version, const std::string& date, std::string& error)
{
    const std::string help = helpText();
    std::string description, examples;
    const size_t firstLineEnd = help.find('\n');
    if (firstLineEnd == std::string::npos ||
        !section(help.substr(firstLineEnd + 1), "", "\n\nOptions:\n", description) ||
        !section(help, "\nExamples:\n", "", examples))
    {
        error = "the --help text no longer has its description, Options: and Examples: parts";
        return {};
    }

    std::string page;
    page += ".TH SORVELT\\-RENDER 1 \"" + date + "\" \"Sorvelt " + version + "\" \"User Commands\"\n";
    page +=
        ".SH NAME\nsorvelt\\-render \\- encode a sound file into UHJ through the Sorvelt VST 2.4 plug\\-in\n";
    page += ".SH SYNOPSIS\n.B sorvelt\\-render\n[\\fIoptions\\fR] [\\fIINPUT\\fR [\\fIOUTPUT\\fR]]\n";
    page += ".SH DESCRIPTION\n" + roff(description) + "\n";
    page += ".PP\nThe command loads the plug\\-in as an audio host does, through its exported entry, and\n"
            "drives it block by block; it is also a way to look at the plug\\-in as a host sees it\n"
            "(\\fB\\-\\-info\\fR) and at its editor (\\fB\\-\\-snapshot\\fR, \\fB\\-\\-gui\\fR).\n";

    page += ".SH OPTIONS\n";
    for (const OptionDescription& option : optionDescriptions())
    {
        page += ".TP\n";
        if (option.shortName) page += "\\fB" + roff(option.shortName) + "\\fR, ";
        page += "\\fB" + roff(option.name) + "\\fR";
        if (option.value) page += " \\fI" + roff(option.value) + "\\fR";
        page += '\n';
        page += roff(option.help);
        if (option.defaultText) page += " (default: " + roff(option.defaultText) + ")";
        page += ".\n";
    }

    // Each example line is the command, a gap of three or more spaces, and what it does.
    page += ".SH EXAMPLES\n";
    std::istringstream lines(examples);
    for (std::string line; std::getline(lines, line);)
    {
        const size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos) continue;
        const size_t gap = line.find("   ", start);
        const size_t what = gap == std::string::npos ? std::string::npos : line.find_first_not_of(' ', gap);
        page +=
            ".TP\n\\fB" + roff(line.substr(start, gap == std::string::npos ? gap : gap - start)) + "\\fR\n";
        if (what != std::string::npos) page += roff(line.substr(what)) + ".\n";
    }
    page +=
        ".SH EXIT STATUS\n"
        ".TP\n0\nThe job was done (the file written, the information shown).\n"
        ".TP\n1\nThe job failed: an unreadable input, an output that cannot be written, a plug\\-in that\n"
        "cannot be loaded. No partial output file is left, and an existing one is not touched.\n"
        ".TP\n2\nThe command line is wrong; a one\\-line message says why.\n";
    page += ".SH FILES\n"
            ".TP\n.I /usr/lib/vst/sorvelt.so\n"
            "The plug\\-in, where Linux hosts look for VST 2 plug\\-ins. Without \\fB\\-\\-plugin\\fR the "
            "command\n"
            "loads a sorvelt.so in its own folder first, then the one in \\fI../lib/vst\\fR from its folder\n"
            "(\\fI/usr/lib/vst\\fR for \\fI/usr/bin/sorvelt\\-render\\fR).\n"
            ".TP\n.I ~/.vst\n"
            "Where a user may copy the plug\\-in for hosts of their own; hosts also search the folders\n"
            "named in \\fBVST_PATH\\fR or \\fBLXVST_PATH\\fR.\n";
    page += ".SH SEE ALSO\n"
            "The README in \\fI/usr/share/doc/sorvelt\\fR describes the plug\\-in, its parameters and its "
            "editor.\n";
    return page;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: %s OUTPUT VERSION DATE\n", argv[0]);
        return 2;
    }
    std::string error;
    const std::string page = manualPage(argv[2], argv[3], error);
    if (page.empty())
    {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
        return 1;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << page;
    out.close();
    if (!out)
    {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
