// The one application object; the framework's entry finds it and runs it.
#include "launcher/application.h"

Application g_application;
