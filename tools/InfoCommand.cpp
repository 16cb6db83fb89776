// orv-host info: what a host learns about a plug-in when it scans it.
#include "tools/Commands.h"
#include "tools/PluginLibrary.h"

#include <cstdio>
#include <string>

namespace
{
std::string fourCharText(VstInt32 code)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const char c = static_cast<char>((static_cast<uint32_t>(code) >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '.';
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<uint32_t>(code));
    return "'" + text + "' (" + hex + ")";
}

std::string flagNames(VstInt32 flags)
{
    struct Flag
    {
        VstInt32 bit;
        const char* name;
    };
    static const Flag kFlags[] = {
        {effFlagsHasEditor, "HasEditor"},
        {1 << 1, "HasClip"},
        {1 << 2, "HasVu"},
        {1 << 3, "CanMono"},
        {effFlagsCanReplacing, "CanReplacing"},
        {effFlagsProgramChunks, "ProgramChunks"},
        {effFlagsIsSynth, "IsSynth"},
        {effFlagsNoSoundInStop, "NoSoundInStop"},
        {1 << 10, "ExtIsAsync"},
        {1 << 11, "ExtHasBuffer"},
        {effFlagsCanDoubleReplacing, "CanDoubleReplacing"},
    };
    std::string text;
    VstInt32 known = 0;
    for (const Flag& f : kFlags)
    {
        known |= f.bit;
        if (flags & f.bit) text += (text.empty() ? "" : " ") + std::string(f.name);
    }
    if (flags & ~known)
    {
        char rest[32];
        std::snprintf(rest, sizeof rest, "0x%X", static_cast<unsigned>(flags & ~known));
        text += (text.empty() ? "" : " ") + std::string(rest);
    }
    char value[32];
    std::snprintf(value, sizeof value, " (%d)", flags);
    return (text.empty() ? "none" : text) + value;
}

// Asks a string of the effect into a generous buffer: hosts give far more than the published
// limits, and the text is cut at the buffer's end whatever the plug-in writes.
std::string askText(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0)
{
    char buffer[256] = {};
    dispatch(effect, opcode, index, value, buffer);
    buffer[sizeof buffer - 1] = 0;
    return buffer;
}
} // namespace

int runInfo(const Arguments& args)
{
    if (args.size() > 1) return fail("info takes at most one argument, the plug-in path");
    std::string path;
    std::string error;
    if (!args.empty())
        path = args[0];
    else if (!findDefaultPlugin(path, error))
        return fail(error);

    PluginLibrary library;
    if (!library.load(path, error)) return fail(error);
    AEffect* effect = library.instantiate(orvHostCallback, error);
    if (!effect) return fail(error);

    dispatch(effect, effOpen);
    std::printf("Plug-in      %s\n", path.c_str());
    std::printf("Magic        %s\n", fourCharText(effect->magic).c_str());
    std::printf("Unique ID    %s\n", fourCharText(effect->uniqueID).c_str());
    std::printf("Version      %d\n", effect->version);
    std::printf("Flags        %s\n", flagNames(effect->flags).c_str());
    std::printf("Inputs       %d\n", effect->numInputs);
    std::printf("Outputs      %d\n", effect->numOutputs);
    std::printf("Latency      %d samples\n", effect->initialDelay);
    std::printf("Effect name  %s\n", askText(effect, effGetEffectName).c_str());
    std::printf("Vendor       %s\n", askText(effect, effGetVendorString).c_str());
    std::printf("Product      %s\n", askText(effect, effGetProductString).c_str());
    std::printf("Vendor ver.  %ld\n", static_cast<long>(dispatch(effect, effGetVendorVersion)));
    std::printf("VST version  %ld\n", static_cast<long>(dispatch(effect, effGetVstVersion)));
    std::printf("Category     %ld\n", static_cast<long>(dispatch(effect, effGetPlugCategory)));

    std::printf("\nParameters   %d\n", effect->numParams);
    for (VstInt32 i = 0; i < effect->numParams; ++i)
    {
        const float value = effect->getParameter(effect, i);
        std::printf("  %2d  %-13s %-10s %9.6f  %s\n", i,
                    ("\"" + askText(effect, effGetParamName, i) + "\"").c_str(),
                    ("\"" + askText(effect, effGetParamLabel, i) + "\"").c_str(), value,
                    ("\"" + askText(effect, effGetParamDisplay, i) + "\"").c_str());
    }

    std::printf("\nPrograms     %d shown to the host, current %ld \"%s\"\n", effect->numPrograms,
                static_cast<long>(dispatch(effect, effGetProgram)),
                askText(effect, effGetProgramName).c_str());
    // The plug-in may name more programs than it shows the host; list every name it gives.
    for (VstInt32 i = 0; i < 1024; ++i)
    {
        char name[256] = {};
        if (dispatch(effect, effGetProgramNameIndexed, i, 0, name) == 0) break;
        name[sizeof name - 1] = 0;
        std::printf("  %2d  \"%s\"\n", i, name);
    }

    dispatch(effect, effClose);
    return 0;
}
