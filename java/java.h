// Where the product installer's Java runtime comes from.
#pragma once

#include <string>
#include <string_view>

#include "platform/system.h"

enum class RuntimeSelection { GoOn, Refused };

// Sets the runtime flags of launcherState from the command line and, with
// "-jreLoc", from the named runtime's version text; without it, refuses when
// the medium ships no runtime (after the error box).
RuntimeSelection SelectJavaRuntime(std::string_view commandLine, ModuleInstance instance);
