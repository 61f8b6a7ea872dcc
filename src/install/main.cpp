#include "install/Installer.h"

int main(int argc, char** argv) {
    return RunInstaller(argc, argv);
}
