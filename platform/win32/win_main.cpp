// The runtime's GUI entry point: hands over to the program's own entry.
#include <windows.h>

#include "app/program_main.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previousInstance, PWSTR commandLine, int showCommand) {
    return ProgramMain(reinterpret_cast<ModuleHandle>(instance), reinterpret_cast<ModuleHandle>(previousInstance),
                       reinterpret_cast<const char16_t*>(commandLine), showCommand);
}
