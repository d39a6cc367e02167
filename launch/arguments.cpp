// The child's arguments: what the user typed after the launcher's path.
#include "launch/launch.h"
#include "launcher/launcher.h"

void ComposeArgumentText()
{
    launcherState.argumentText = " ";
}
