// orv-host: a command-line VST 2.4 host for people and tests. It loads a built plug-in through
// its exported entry point, exactly as a host does.
#include "tools/Commands.h"

#include "OrvVersion.h"

#include <cstdio>
#include <cstring>

namespace
{
const char* const kUsage =
    "usage: orv-host <command> [arguments]\n"
    "\n"
    "commands:\n"
    "  info [PLUGIN]   print the effect record, identity, parameters and programs of a plug-in\n"
    "                  (default: the first OrvSympharon.so beside orv-host, in the lib/lxvst/\n"
    "                  folder of its installation, in ~/.vst/ or in /usr/lib/lxvst/)\n"
    "  render IN OUT [--program NAME|N] [--set NAME=VALUE]... [--block N] [--tail SECONDS]\n"
    "                  [--format NAME] [--quiet] [--plugin PATH]\n"
    "                  process an audio file (mono feeds both inputs) into OUT, block by block;\n"
    "                  IN or OUT may be '-' for standard input or output; the format follows\n"
    "                  OUT's extension (32-bit float WAV by default, RF64 beyond 4 GiB) or\n"
    "                  --format: wav, rf64, w64, caf, flac, ogg, aiff, au or raw (headerless\n"
    "                  float); standard output takes au (default), raw, flac or ogg; --tail adds\n"
    "                  0 to 3600 seconds of silence for the strings to ring out (default 2);\n"
    "                  --quiet hides the progress shown on a terminal\n"
    "  demo OUT [--plugin PATH]\n"
    "                  render a built-in phrase of plucked notes and a drum hit through each\n"
    "                  stored program in turn\n"
    "  shot OUT.png [--program NAME|N] [--set NAME=VALUE]... [--about] [--scale F]\n"
    "                  draw the editor as a user sees it (with --about: the about screen open)\n"
    "  help            show this text\n"
    "  --version       show the release orv-host belongs to\n";
} // namespace

int fail(const std::string& message)
{
    std::fprintf(stderr, "orv-host: %s\n", message.c_str());
    return 1;
}

VstIntPtr orvHostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string command = argv[1];
    const Arguments args(argv + 2, argv + argc);
    if (command == "help" || command == "--help" || command == "-h")
    {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "--version")
    {
        std::puts("orv-host " ORV_VERSION_TEXT);
        return 0;
    }
    if (command == "info") return runInfo(args);
    if (command == "render") return runRender(args);
    if (command == "demo") return runDemo(args);
    if (command == "shot") return runShot(args);
    std::fprintf(stderr, "orv-host: unknown command '%s' (try 'orv-host help')\n", command.c_str());
    return 2;
}
