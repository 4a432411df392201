#include "mainwindow/Startup.h"

int main(int argc, char** argv) {
    return RunFindaro(argc, argv);
}
