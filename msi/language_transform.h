#pragma once
// Choice of the language transform (<language id>.mst beside the executable).
#include "app/setup_settings.h"

// Sets settings.LangId and, when a transform file exists, settings.Transforms; logs its steps.
void SelectLanguageTransform(SetupSettings& settings);
