#include "update/check_for_updates.h"

void CheckForUpdates()
{
}
