// A loadable library without any VST entry point, for orv-host's error handling.
extern "C" __attribute__((visibility("default"))) int orvUnrelatedFunction()
{
    return 42;
}
