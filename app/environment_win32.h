// Kelvarion's own environment brought up to date from the registry.
#pragma once

#include <string>

// On WM_SETTINGCHANGE "Environment": its own lookups and every program it
// starts from then on see the variables as the user set them.
void RefreshEnvironment();

// A copy of this process's environment block, its NULs included, for a
// program started from another thread while the UI thread may be rebuilding it.
std::wstring EnvironmentBlock();
