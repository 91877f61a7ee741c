// Kelvarion's own environment brought up to date from the registry.
#pragma once

// On WM_SETTINGCHANGE "Environment": its own lookups and every program it
// starts from then on see the variables as the user set them.
void RefreshEnvironment();
