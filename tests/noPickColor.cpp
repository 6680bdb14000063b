// A library named like the picker that lacks PickColor.
extern "C" __attribute__((visibility("default"))) int PickColour() {
    return -1;
}
