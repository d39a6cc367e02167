// The runtime selection: "-jreLoc" or a runtime shipped on the medium.
#include "java/java.h"
#include "launcher/launcher.h"
#include "media/layout.h"

RuntimeSelection SelectJavaRuntime(std::string_view, ModuleInstance)
{
    return RuntimeSelection::GoOn;
}
