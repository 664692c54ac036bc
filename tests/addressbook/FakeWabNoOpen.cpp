// A library without the WABOpen export.
extern "C" __attribute__((visibility("default"))) int NotWabOpen() {
    return 0;
}
