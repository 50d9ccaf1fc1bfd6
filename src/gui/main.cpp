#include "gui/CLK_AppApp.h"

int main(int argc, char** argv) { return zadaravod::CLK_AppApp::run(argc, argv); }
