// orv-host: a command-line VST 2.4 host for people and tests. It loads a built plug-in through
// its exported entry point, exactly as a host does.
#include "tools/Commands.h"

#include <cstdio>
#include <cstring>

namespace
{
const char* const kUsage =
    "usage: orv-host <command> [arguments]\n"
    "\n"
    "commands:\n"
    "  info [PLUGIN]   print the effect record, identity, parameters and programs of a plug-in\n"
    "                  (default: the OrvSympharon.so built beside orv-host)\n"
    "  help            show this text\n";
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
    if (command == "info")
        return runInfo(args);
    std::fprintf(stderr, "orv-host: unknown command '%s' (try 'orv-host help')\n",
                 command.c_str());
    return 2;
}
