// What the tray shows while Kelvarion waits and while it starts the program:
// the scheduler sets it, the tray shows it.
#pragma once

enum class TrayState { Waiting, Running };
