// Corvella's entry point.
#include "mainModule.h"

int main(int argc, char* argv[]) {
    return mainModule::run(argc, argv);
}
