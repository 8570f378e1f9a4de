// The program's whole life, from the single-instance check to the removal of
// the extracted string table.
#pragma once

#include "platform/platform_types.h"

// The GUI entry. Only instance is used (its resources hold the dialogs); the
// command line and the rest are ignored. Always returns 0.
int ProgramMain(ModuleHandle instance, ModuleHandle previousInstance, const char16_t* commandLine,
                int showCommand);
